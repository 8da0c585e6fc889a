; Waits for the frame's interrupt in mode 1 with HALT. The handler at 0x38
; counts the interrupts (word at results + 0) and keeps the V counter it
; reads through the window (bank 0x180, 68000 0xC00008) at results + 2; the
; main loop counts its wake-ups from HALT at results + 3.

        org 0
        di
        im 1
        ld sp, stack_top
        jp init

        ds 0x38 - $
frame_interrupt:
        push af
        push hl
        ld hl, (results + 0)
        inc hl
        ld (results + 0), hl
        ld a, (window + 8)
        ld (results + 2), a
        pop hl
        pop af
        ei
        reti

init:
        ld hl, 0x180
        call set_bank
        ei
wait:
        halt
        ld hl, results + 3
        inc (hl)
        jr wait

        include "z80side.inc"
