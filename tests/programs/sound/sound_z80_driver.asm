; A sound program for the Z80, in the manner of a game's sound driver: the
; frame's interrupt (mode 1) counts frames, and a score plays known sounds
; through the Z80's own ports: the PSG at 0x7F11 and the YM2612 at
; 0x4000-0x4003, with the busy flag polled before every YM2612 write. Then
; the driver streams DAC samples, one per scan line, watching the V counter
; through the bank window, and last it counts timer overflows.
;
; Score entries (5 bytes): frame (word), kind (1 PSG byte, 2 YM2612 part I,
; 3 part II, 0 end), register or PSG byte, value. An entry of frame f runs as
; soon as f frame interrupts have been counted. Segments of 16 frames from
; frame 2 (so that an interrupt still pending when the driver starts cannot
; start the first one at once):
;   0  PSG tone 0, N = 254, attenuation 0
;   1  FM channel 0, F-number 1083, block 4 (a sine: algorithm 7, op4 alone)
;   2  FM channel 4 (part II), F-number 800, block 4, left only
;   3  channel 4 off, and the end of the score
; After the score, with interrupts off: DAC on (channel 6 on both sides), then
; DAC_SAMPLES samples of a 32-step sine (amplitude 100 around 0x80), one each
; time the V counter (68000 0xC00008, bank 0x180) changes; then DAC off.
; Then timer A (N = 768) and timer B (N = 200) are loaded and enabled, and
; their overflows are counted over COUNT_FRAMES frames, each flag cleared
; through register 0x27 when seen.
;
; Results (little-endian words): +0 frames counted, +2 stage reached (1 score
; played, 2 stream done, 3 timers counted), +4 DAC samples written, +6 timer
; A overflows, +8 timer B overflows.

        org 0
        di
        im 1
        ld sp, stack_top
        jp init

        ds 0x38 - $
frame_interrupt:
        push af
        push hl
        ld hl, (frames)
        inc hl
        ld (frames), hl
        pop hl
        pop af
        ei
        reti

init:
        ld ix, score
        ei

; ---- The score ---------------------------------------------------------------

play:
        ld e, (ix + 0)
        ld d, (ix + 1)
wait_frame:
        ld hl, (frames)
        or a
        sbc hl, de
        jr c, wait_frame
        ld a, (ix + 2)
        ld c, (ix + 3)
        ld b, (ix + 4)
        ld de, 5
        add ix, de
        or a
        jr z, played
        cp 1
        jr z, to_psg
        cp 2
        jr z, to_part1
to_part2:
        call ym_wait
        ld a, c
        ld (ym_address1), a
        call ym_wait
        ld a, b
        ld (ym_data1), a
        jr play
to_part1:
        call ym_wait
        ld a, c
        ld (ym_address0), a
        call ym_wait
        ld a, b
        ld (ym_data0), a
        jr play
to_psg:
        ld a, c
        ld (psg), a
        jr play

played:
        ld a, 1
        ld (stage), a

; ---- The DAC stream --------------------------------------------------------

        call ym_wait
        ld a, 0xB6
        ld (ym_address1), a
        call ym_wait
        ld a, 0xC0
        ld (ym_data1), a
        call ym_wait
        ld a, 0x2B
        ld (ym_address0), a
        call ym_wait
        ld a, 0x80
        ld (ym_data0), a
        call ym_wait
        ld a, 0x2A              ; the sample register stays latched
        ld (ym_address0), a
        ld hl, 0x180            ; the window shows 68000 0xC00000-0xC07FFF
        call set_bank
        di
        ld hl, sine
        ld de, DAC_SAMPLES
        ld a, (v_counter)
        ld c, a
stream:
        ld a, (v_counter)
        cp c
        jr z, stream            ; still the same line
        ld c, a
        call ym_wait
        ld a, (hl)
        ld (ym_data0), a
        ld a, l
        inc a
        and 0x1F
        ld l, a
        dec de
        ld a, d
        or e
        jr nz, stream
        call ym_wait
        ld a, 0x2B
        ld (ym_address0), a
        call ym_wait
        xor a
        ld (ym_data0), a
        ld hl, DAC_SAMPLES
        ld (dac_written), hl
        ld a, 2
        ld (stage), a
        ei

; ---- The timers ----------------------------------------------------------------

        ld c, 0x24
        ld b, 768 >> 2
        call ym_write
        ld c, 0x25
        ld b, 768 & 3
        call ym_write
        ld c, 0x26
        ld b, 200
        call ym_write
        ld c, 0x27
        ld b, 0x3F              ; load, enable and clear both
        call ym_write           ; 0x27 stays latched from here on
        ld hl, (frames)         ; start with the next frame
sync:
        ld de, (frames)
        or a
        sbc hl, de
        add hl, de
        jr z, sync
        ld hl, COUNT_FRAMES
        add hl, de
        ld (count_end), hl
        ld hl, 0
        ld (count_a), hl
        ld (count_b), hl
count:
        ld a, (ym_address0)     ; the status
        bit 0, a
        jr z, no_a
        ld hl, (count_a)
        inc hl
        ld (count_a), hl
        ld a, 0x1F              ; clear timer A's flag
        ld (ym_data0), a
        ld a, (ym_address0)
no_a:
        bit 1, a
        jr z, no_b
        ld hl, (count_b)
        inc hl
        ld (count_b), hl
        ld a, 0x2F              ; clear timer B's flag
        ld (ym_data0), a
no_b:
        ld hl, (frames)
        ld de, (count_end)
        or a
        sbc hl, de
        jr c, count
        ld a, 3
        ld (stage), a
idle:
        jr idle

; Register C of part I := B.
ym_write:
        call ym_wait
        ld a, c
        ld (ym_address0), a
        call ym_wait
        ld a, b
        ld (ym_data0), a
        ret

; Waits while the YM2612 reports busy (status bit 7).
ym_wait:
        ld a, (ym_address0)
        rla
        jr c, ym_wait
        ret

score:
; frame 0: sine voices on channels 0 and 4
        dw 0
        db 2, 0x30, 0x01
        dw 0
        db 2, 0x40, 0x7F
        dw 0
        db 2, 0x50, 0x1F
        dw 0
        db 2, 0x60, 0x00
        dw 0
        db 2, 0x70, 0x00
        dw 0
        db 2, 0x80, 0x0F
        dw 0
        db 2, 0x90, 0x00
        dw 0
        db 2, 0x38, 0x01
        dw 0
        db 2, 0x48, 0x7F
        dw 0
        db 2, 0x58, 0x1F
        dw 0
        db 2, 0x68, 0x00
        dw 0
        db 2, 0x78, 0x00
        dw 0
        db 2, 0x88, 0x0F
        dw 0
        db 2, 0x98, 0x00
        dw 0
        db 2, 0x34, 0x01
        dw 0
        db 2, 0x44, 0x7F
        dw 0
        db 2, 0x54, 0x1F
        dw 0
        db 2, 0x64, 0x00
        dw 0
        db 2, 0x74, 0x00
        dw 0
        db 2, 0x84, 0x0F
        dw 0
        db 2, 0x94, 0x00
        dw 0
        db 2, 0x3C, 0x01
        dw 0
        db 2, 0x4C, 0x00
        dw 0
        db 2, 0x5C, 0x1F
        dw 0
        db 2, 0x6C, 0x00
        dw 0
        db 2, 0x7C, 0x00
        dw 0
        db 2, 0x8C, 0x0F
        dw 0
        db 2, 0x9C, 0x00
        dw 0
        db 2, 0xB0, 0x07  ; algorithm 7
        dw 0
        db 2, 0xB4, 0xC0  ; both sides
        dw 0
        db 3, 0x31, 0x01
        dw 0
        db 3, 0x41, 0x7F
        dw 0
        db 3, 0x51, 0x1F
        dw 0
        db 3, 0x61, 0x00
        dw 0
        db 3, 0x71, 0x00
        dw 0
        db 3, 0x81, 0x0F
        dw 0
        db 3, 0x91, 0x00
        dw 0
        db 3, 0x39, 0x01
        dw 0
        db 3, 0x49, 0x7F
        dw 0
        db 3, 0x59, 0x1F
        dw 0
        db 3, 0x69, 0x00
        dw 0
        db 3, 0x79, 0x00
        dw 0
        db 3, 0x89, 0x0F
        dw 0
        db 3, 0x99, 0x00
        dw 0
        db 3, 0x35, 0x01
        dw 0
        db 3, 0x45, 0x7F
        dw 0
        db 3, 0x55, 0x1F
        dw 0
        db 3, 0x65, 0x00
        dw 0
        db 3, 0x75, 0x00
        dw 0
        db 3, 0x85, 0x0F
        dw 0
        db 3, 0x95, 0x00
        dw 0
        db 3, 0x3D, 0x01
        dw 0
        db 3, 0x4D, 0x00
        dw 0
        db 3, 0x5D, 0x1F
        dw 0
        db 3, 0x6D, 0x00
        dw 0
        db 3, 0x7D, 0x00
        dw 0
        db 3, 0x8D, 0x0F
        dw 0
        db 3, 0x9D, 0x00
        dw 0
        db 3, 0xB1, 0x07  ; algorithm 7
        dw 0
        db 3, 0xB5, 0xC0  ; both sides
; segment 0: PSG tone 0, N = 254, attenuation 0
        dw 2
        db 1, 0x8E, 0
        dw 2
        db 1, 0x0F, 0
        dw 2
        db 1, 0x90, 0
; segment 1: PSG off; channel 0 at F-number 1083, block 4
        dw 18
        db 1, 0x9F, 0
        dw 18
        db 2, 0xA4, 0x24  ; block 4, F-number bits 8-10
        dw 18
        db 2, 0xA0, 0x3B
        dw 18
        db 2, 0x28, 0xF0  ; key on
; segment 2: channel 4 (part II) at F-number 800, block 4, left only
        dw 34
        db 2, 0x28, 0x00  ; key off
        dw 34
        db 3, 0xB5, 0x80
        dw 34
        db 3, 0xA5, 0x23
        dw 34
        db 3, 0xA1, 0x20
        dw 34
        db 2, 0x28, 0xF5  ; key on
; segment 3: channel 4 off, and the end of the score
        dw 50
        db 2, 0x28, 0x05  ; key off
        dw 50
        db 0, 0, 0

        include "machine/z80side.inc"

; round(128 + 100 x sin(2 pi k / 32)), k = 0-31, at a 256-byte boundary so
; that the index wraps in L alone.
        ds 0x1000 - $
sine:
        db 128, 148, 166, 184, 199, 211, 220, 226, 228, 226, 220, 211, 199, 184, 166, 148
        db 128, 108, 90, 72, 57, 45, 36, 30, 28, 30, 36, 45, 57, 72, 90, 108

DAC_SAMPLES:    equ 262 * 30
COUNT_FRAMES:   equ 30
v_counter:      equ window + 0x0008

frames:         equ results + 0
stage:          equ results + 2
dac_written:    equ results + 4
count_a:        equ results + 6
count_b:        equ results + 8
count_end:      equ results + 10
