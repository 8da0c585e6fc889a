; Writes the background colour for the 68000: one byte, 0xEE, to the VDP
; data port through the window (bank 0x180, 68000 0xC00000), which the
; 68000 has pointed at CRAM 0. CRAM colour 0 becomes 0x00EE: red 7,
; green 7, blue 0.

        org 0
        di
        ld sp, stack_top
        ld hl, 0x180
        call set_bank
        ld a, 0xEE
        ld (window), a
done:
        jr done

        include "z80side.inc"
