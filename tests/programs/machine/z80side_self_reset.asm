; Resets itself through the window: on its first start the program loads
; every register with values a reset does not give, enables interrupts in
; mode 2 and writes 0 to 0xA11200 (bank 0x142, 68000 0xA10000). The reset
; takes effect when that write's instruction ends, so the next instruction
; never runs, and the second start finds the reset state.
;
; Each start keeps the registers as it found them (words): +0 SP, +2 HL,
; +4 BC, +6 DE, +8 IX, +10 IY, +12 AF, +14 BC', +16 DE', +18 HL', +20 AF',
; +22 AF after LD A,I (A = I, P/V = IFF2). +24 counts the starts, +25 is
; 0x55 only if the instruction after the reset ran. The second start
; enables interrupts with I = 0x12 and halts: +26 counts interrupts taken at
; 0x38 (modes 0 and 1), +27 those taken through the mode-2 vector at 0x1201.

        org 0
        jp entry

        ds 0x38 - $
interrupt_mode_0_or_1:
        push hl
        ld hl, results + 26
        inc (hl)
        pop hl
        ei
        reti

interrupt_mode_2:
        push hl
        ld hl, results + 27
        inc (hl)
        pop hl
        ei
        reti

entry:
        ld (results + 0), sp
        ld (results + 2), hl
        ld (results + 4), bc
        ld (results + 6), de
        ld (results + 8), ix
        ld (results + 10), iy
        ld sp, stack_top
        push af
        pop hl
        ld (results + 12), hl
        exx
        ld (results + 14), bc
        ld (results + 16), de
        ld (results + 18), hl
        exx
        ex af, af'
        push af
        pop hl
        ld (results + 20), hl
        ex af, af'
        ld a, i
        push af
        pop hl
        ld (results + 22), hl
        ld hl, results + 24
        inc (hl)
        ld a, (hl)
        cp 1
        jr nz, second_start

first_start:
        ld hl, 0x142
        call set_bank
        ld bc, 0x1357
        ld de, 0x2468
        ld ix, 0x1111
        ld iy, 0x2222
        exx
        ld bc, 0x3333
        ld de, 0x4444
        ld hl, 0x5555
        exx
        ex af, af'
        ld a, 0x66
        scf
        ex af, af'
        ld a, 0x12
        ld i, a
        im 2
        ld hl, 0x7777
        ld sp, 0x1E00
        xor a
        scf
        ei
        ld (window + 0x1200), a
        ld a, 0x55
        ld (results + 25), a
stuck:
        jr stuck

second_start:
        ld a, 0x12
        ld i, a
        ei
wait:
        halt
        jr wait

        include "z80side.inc"

        ds 0x1201 - $
        dw interrupt_mode_2
