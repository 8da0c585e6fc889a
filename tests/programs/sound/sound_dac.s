| A DAC sample stream: the 68000 switches channel 6 to the DAC (register
| 0x2B bit 7) and then writes one sample of a 32-step sine (amplitude 100
| around 0x80) to register 0x2A on every scan line, watching the V counter,
| which changes on every line (262 per frame, 60 frames a second). Once
| STOP_FRAME frames have been counted, the DAC goes off again.
|
| Results: +0 frames counted (word), +4 STOPPED_MARK once the DAC is off
| (word), +6 the number of samples written (long).

    .include "sound_player.i"
    SOUND_CART

    .equ    STOP_FRAME, 40
    .equ    STOPPED, RESULTS + 4
    .equ    STOPPED_MARK, 0x0FF0
    .equ    WRITTEN, RESULTS + 6

score:
    FM1     0, 0xB6, 0xC0                   | channel 6 on both sides
    FM0     0, 0x2B, 0x80                   | DAC on
    END_SCORE

player_end:
    bsr     ym_ready
    move.b  #0x2A,YM_ADDRESS0               | the DAC sample register stays latched
    lea     sine,%a1
    moveq   #0,%d6
    move.b  VDP_V,%d7
stream:
    move.b  VDP_V,%d0
    cmp.b   %d0,%d7
    beq.s   stream                          | still the same line
    move.b  %d0,%d7
    move.b  0(%a1,%d6.w),%d1
    bsr     ym_ready
    move.b  %d1,YM_DATA0
    addq.l  #1,WRITTEN
    addq.w  #1,%d6
    and.w   #31,%d6
    cmp.w   #STOP_FRAME,FRAMES
    bcs.s   stream

    bsr     ym_ready
    move.b  #0x2B,YM_ADDRESS0
    bsr     ym_ready
    move.b  #0x00,YM_DATA0
    move.w  #STOPPED_MARK,STOPPED
idle:
    bra.s   idle

| round(128 + 100 x sin(2 pi k / 32)), k = 0-31
sine:
    dc.b    128, 148, 166, 184, 199, 211, 220, 226, 228, 226, 220, 211, 199, 184, 166, 148
    dc.b    128, 108, 90, 72, 57, 45, 36, 30, 28, 30, 36, 45, 57, 72, 90, 108
