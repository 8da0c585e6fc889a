| The YM2612's timers A and B as a sound driver uses them: the 68000 loads
| both, enables them and polls the status (0xA04000); each overflow it sees is
| counted and its flag cleared through register 0x27. The V interrupt keeps
| each frame's two counts. The settings change every PHASE frames:
|
|   phase  timer A (10 bits)  timer B (8 bits)
|   0      768                200
|   1      1000               0
|   2      0                  255
|   3      1023               128
|
| Results: +0 frames counted (word), +2 PLAYED_MARK after the last phase
| (word), +4 / +6 the counts of the frame running (words), from +0x100 timer
| A's count of frame k and from +0x400 timer B's (words; frame k is the time
| between V interrupts k and k + 1, counted from 0).

    .include "sound_player.i"
    SOUND_CART ignore_interrupt, record_frame

    .equ    PHASE, 40
    .equ    PHASES, 4
    .equ    COUNT_A, RESULTS + 4
    .equ    COUNT_B, RESULTS + 6
    .equ    COUNTS_A, RESULTS + 0x100
    .equ    COUNTS_B, RESULTS + 0x400
    .equ    MAX_FRAMES, 0x180

    | Register 0x27: load and enable both timers; bit 4 / bit 5 clear the
    | flag of timer A / timer B.
    .equ    RUN_BOTH, 0x0F
    .equ    CLEAR_A, 0x10
    .equ    CLEAR_B, 0x20

score:
    END_SCORE

| d0: register, d1: value (part 0)
ym_write:
    bsr     ym_ready
    move.b  %d0,YM_ADDRESS0
    bsr     ym_ready
    move.b  %d1,YM_DATA0
    rts

| The V interrupt: the counts of the frame that ends go to the tables.
record_frame:
    movem.l %d0/%a0,-(%sp)
    move.w  FRAMES,%d0
    cmp.w   #MAX_FRAMES,%d0
    bcc.s   1f
    add.w   %d0,%d0
    lea     COUNTS_A,%a0
    move.w  COUNT_A,0(%a0,%d0.w)
    lea     COUNTS_B,%a0
    move.w  COUNT_B,0(%a0,%d0.w)
1:
    clr.w   COUNT_A
    clr.w   COUNT_B
    movem.l (%sp)+,%d0/%a0
    bra     count_frame

player_end:
    lea     settings,%a2
    moveq   #0,%d5                          | phase
next_phase:
    move.w  (%a2)+,%d2                      | timer A
    move.w  %d2,%d1
    lsr.w   #2,%d1
    moveq   #0x24,%d0
    bsr     ym_write
    move.w  %d2,%d1
    and.w   #3,%d1
    moveq   #0x25,%d0
    bsr     ym_write
    move.w  (%a2)+,%d1                      | timer B
    moveq   #0x26,%d0
    bsr     ym_write
    moveq   #0x27,%d0
    move.w  #RUN_BOTH + CLEAR_A + CLEAR_B,%d1
    bsr     ym_write
    addq.w  #1,%d5
    move.w  %d5,%d4
    mulu.w  #PHASE,%d4                      | the frame this phase ends
poll:
    move.b  YM_STATUS,%d3                   | register 0x27 stays latched from here on
    btst    #0,%d3
    beq.s   no_a
    move.b  #RUN_BOTH + CLEAR_A,YM_DATA0
    addq.w  #1,COUNT_A
no_a:
    btst    #1,%d3
    beq.s   no_b
    move.b  #RUN_BOTH + CLEAR_B,YM_DATA0
    addq.w  #1,COUNT_B
no_b:
    cmp.w   FRAMES,%d4
    bhi.s   poll
    cmp.w   #PHASES,%d5
    bcs.s   next_phase
    move.w  #PLAYED_MARK,PLAYED
idle:
    bra.s   idle

settings:
    dc.w    768, 200
    dc.w    1000, 0
    dc.w    0, 255
    dc.w    1023, 128
