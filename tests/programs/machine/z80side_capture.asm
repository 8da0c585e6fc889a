; Stores the registers as it finds them, as words from 0x1800 up: +0 SP,
; +2 HL, +4 BC, +6 DE, +8 IX, +10 IY, +12 AF, +14 BC', +16 DE', +18 HL',
; +20 AF', and I as a byte at +22; then waits where it is. It runs from
; 0x0100 and pushes on the stack it finds.

        org 0x100
        ld (results + 0), sp
        ld (results + 2), hl
        ld (results + 4), bc
        ld (results + 6), de
        ld (results + 8), ix
        ld (results + 10), iy
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
        ld (results + 22), a
captured:
        jr captured

results:        equ 0x1800
