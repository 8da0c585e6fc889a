; The bank register and the window into the 68000's space, the RAM mirror as
; code and as stack, and a 16-bit access that straddles the end of the RAM.
; Each result is a byte at results + n:
;   +0  0x8000 with the bank the 68000 set (0x1FD: 68000 0xFE8000)
;   +1  0xFFFF with that bank (68000 0xFEFFFF)
;   +2  0x8000 with bank 0x008 (68000 0x040000, cartridge ROM)
;   +3  0xBFFF with bank 0x008 (68000 0x043FFF)
;   +4  0xC000 with bank 0x008 (68000 0x044000)
;   +5  0x8000 with bank 0x080 (68000 0x400000)
;   +6  0xFFFF with bank 0x080 (68000 0x407FFF)
;   +7  0x8010 with bank 0x1FE (68000 0xFF0010) after writing 0x5A there
;   +8  0x8010 with bank 0x1C0 (68000 0xE00010, the work RAM's mirror)
;   +9  0x8011 with bank 0x1C0 after writing 0x99 there
;   +10 A returned by a routine called at its mirror address (0x2000 up)
;   +11 DE popped after PUSH BC (0x1234) with the stack in the mirror (2 bytes)
;   +13 A returned by a routine called with the stack in the mirror
;   +14 HL read back from 0x1FFF after LD (0x1FFF),HL with 0xBEEF (2 bytes)
;   +16 0x42 once the program reached its end
; Besides, with bank 0x1FE it writes 0xA5 at 0xFFFF (68000 0xFF7FFF).

        org 0
        di
        ld sp, stack_top

        ld a, (window)
        ld (results + 0), a
        ld a, (0xFFFF)
        ld (results + 1), a

        ld hl, 0x008
        call set_bank
        ld a, (window)
        ld (results + 2), a
        ld a, (0xBFFF)
        ld (results + 3), a
        ld a, (0xC000)
        ld (results + 4), a

        ld hl, 0x080
        call set_bank
        ld a, (window)
        ld (results + 5), a
        ld a, (0xFFFF)
        ld (results + 6), a

        ld hl, 0x1FE
        call set_bank
        ld a, 0x5A
        ld (window + 0x10), a
        ld a, 0xA5
        ld (0xFFFF), a
        ld a, (window + 0x10)
        ld (results + 7), a

        ld hl, 0x1C0
        call set_bank
        ld a, (window + 0x10)
        ld (results + 8), a
        ld a, 0x99
        ld (window + 0x11), a
        ld a, (window + 0x11)
        ld (results + 9), a

        ; code fetched through the mirror
        xor a
        call mirror_routine + 0x2000
        ld (results + 10), a

        ; the stack in the mirror
        ld (saved_sp), sp
        ld sp, 0x3F00
        ld bc, 0x1234
        push bc
        xor a
        call stack_routine
        pop de
        ld sp, (saved_sp)
        ld (results + 11), de
        ld (results + 13), a

        ; a word whose high byte lies past the RAM's end, at 0x2000
        ld hl, 0xBEEF
        ld (0x1FFF), hl
        ld hl, 0
        ld hl, (0x1FFF)
        ld (results + 14), hl

        ld a, 0x42
        ld (results + 16), a
done:
        jr done

mirror_routine:
        ld a, 0x6B
        ret

stack_routine:
        ld a, 0x77
        ret

saved_sp:
        dw 0

        include "z80side.inc"
