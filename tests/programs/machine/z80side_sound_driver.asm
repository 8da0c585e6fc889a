; A small sound driver in the manner of the console's games. The frame's
; interrupt (mode 1) sets a flag; once a frame the driver plays the next of
; eight notes: F-number and block on FM channels 1-3 (registers 0xA4 and
; 0xA0 of part I), key on (0x28), and the period of PSG tone 0. At start it
; switches the DAC on (0x2B = 0x80) and sets channel 4 to both speakers
; (part II register 0xB4 = 0xC0). Between frames it streams DAC samples
; (register 0x2A) read through the window from 68000 0x050000-0x0500FF
; (bank 0x00A, cartridge ROM), with busy polling before every YM2612 write.
;
; Results (little-endian words unless a byte): +0 frame interrupts taken,
; +2 notes played, +4 the note last played (byte, 0-7), +6 samples streamed,
; +8 the window address of the next sample.

        org 0
        di
        im 1
        ld sp, stack_top
        jp init

        ds 0x38 - $
frame_interrupt:
        push af
        push hl
        ld hl, (interrupts)
        inc hl
        ld (interrupts), hl
        ld a, 1
        ld (frame_flag), a
        pop hl
        pop af
        ei
        reti

init:
        ld hl, 0x00A
        call set_bank
        ld hl, window
        ld (sample_pointer), hl
        ld a, 7
        ld (note), a
        call ym_wait
        ld a, 0x2B
        ld (ym_address0), a
        ld a, 0x80
        ld (ym_data0), a
        call ym_wait
        ld a, 0xB4
        ld (ym_address1), a
        ld a, 0xC0
        ld (ym_data1), a
        ei

main:
        ld a, (frame_flag)
        or a
        jr z, stream_sample
        xor a
        ld (frame_flag), a
        call play_note
        jr main

stream_sample:
        call ym_wait
        ld a, 0x2A
        ld (ym_address0), a
        ld hl, (sample_pointer)
        ld a, (hl)
        ld (ym_data0), a
        inc l                   ; 256 samples, then from the first again
        ld (sample_pointer), hl
        ld hl, (samples)
        inc hl
        ld (samples), hl
        ld b, 8
sample_delay:
        djnz sample_delay
        jr main

play_note:
        ld a, (note)
        inc a
        and 7
        ld (note), a
        add a, a
        ld e, a
        ld d, 0
        ld hl, fm_frequencies
        add hl, de
        ld c, (hl)              ; F-number, low eight bits
        inc hl
        ld b, (hl)              ; block and F-number bits 8-10
        ld e, 0                 ; channel
next_channel:
        call ym_wait
        ld a, 0xA4
        add a, e
        ld (ym_address0), a
        ld a, b
        ld (ym_data0), a
        call ym_wait
        ld a, 0xA0
        add a, e
        ld (ym_address0), a
        ld a, c
        ld (ym_data0), a
        call ym_wait
        ld a, 0x28
        ld (ym_address0), a
        ld a, e
        or 0xF0
        ld (ym_data0), a
        inc e
        ld a, e
        cp 3
        jr nz, next_channel

        ld a, (note)
        add a, a
        ld e, a
        ld d, 0
        ld hl, psg_periods
        add hl, de
        ld a, (hl)
        ld (psg), a
        inc hl
        ld a, (hl)
        ld (psg), a

        ld hl, (played)
        inc hl
        ld (played), hl
        ret

; Waits while the YM2612 reports busy (status bit 7).
ym_wait:
        ld a, (ym_address0)
        rla
        jr c, ym_wait
        ret

; Block 4 and the F-numbers of a scale: block << 11 | F-number.
fm_frequencies:
        dw (4 << 11) | 644, (4 << 11) | 723, (4 << 11) | 811, (4 << 11) | 859
        dw (4 << 11) | 964, (4 << 11) | 1082, (4 << 11) | 1214, (4 << 11) | 1288

; PSG tone 0 periods of the same scale: the latch byte with the low four
; bits, then the data byte with the high six.
psg_periods:
        db 0x80 | (428 & 15), 428 >> 4
        db 0x80 | (381 & 15), 381 >> 4
        db 0x80 | (339 & 15), 339 >> 4
        db 0x80 | (320 & 15), 320 >> 4
        db 0x80 | (285 & 15), 285 >> 4
        db 0x80 | (254 & 15), 254 >> 4
        db 0x80 | (226 & 15), 226 >> 4
        db 0x80 | (214 & 15), 214 >> 4

        include "z80side.inc"

; Where the results are kept (after the include, which defines results).
interrupts:     equ results + 0
played:         equ results + 2
note:           equ results + 4
frame_flag:     equ results + 5
samples:        equ results + 6
sample_pointer: equ results + 8
