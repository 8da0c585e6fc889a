; Loads every register with a value of its own and halts with interrupts
; disabled, in mode 2: AF 0xA5C3, BC 0x1122, DE 0x3344, HL 0x5566,
; AF' 0x1234, BC' 0x7788, DE' 0x99AA, HL' 0xBBCC, IX 0xDDEE, IY 0xF00F,
; SP 0x1E00, I 0x5A. The HALT is the program's last byte.

        org 0
        di
        ld sp, 0x1E00
        ld a, 0x5A
        ld i, a
        im 2
        ld hl, 0x1234
        push hl
        pop af
        ex af, af'
        exx
        ld bc, 0x7788
        ld de, 0x99AA
        ld hl, 0xBBCC
        exx
        ld ix, 0xDDEE
        ld iy, 0xF00F
        ld bc, 0x1122
        ld de, 0x3344
        ld hl, 0xA5C3
        push hl
        pop af
        ld hl, 0x5566
        halt
