; The VDP data port and the PSG from the Z80, in two steps the 68000 starts
; through the handshake flags (handshake + 0 from the 68000, handshake + 1
; back from the Z80):
; 1. (the 68000 has set a VRAM read at 0x1000, stepping by 1) three reads of
;    the VDP data port at 0x7F00, 0x7F42 and 0x7FFF, kept at results + 0-2.
; 2. (the 68000 has set a CRAM write at 0) 0xEE written to the VDP data port
;    through the window (bank 0x180, 68000 0xC00000); 0x77 written to 0x7F00,
;    which takes no writes; PSG tone 0 period 0x15A written at 0x7F11 (latch
;    0x8A, data 0x15); attenuation 0 for tone 0 (0x90) written at 0x7F10,
;    which is not the PSG.

        org 0
        di
        ld sp, stack_top

wait_read:
        ld a, (handshake)
        cp 1
        jr nz, wait_read
        ld a, (vdp_data)
        ld (results + 0), a
        ld a, (vdp_data + 0x42)
        ld (results + 1), a
        ld a, (0x7FFF)
        ld (results + 2), a
        ld a, 1
        ld (handshake + 1), a

wait_write:
        ld a, (handshake)
        cp 2
        jr nz, wait_write
        ld hl, 0x180
        call set_bank
        ld a, 0xEE
        ld (window), a
        ld a, 0x77
        ld (vdp_data), a
        ld a, 0x8A
        ld (psg), a
        ld a, 0x15
        ld (psg), a
        ld a, 0x90
        ld (psg - 1), a
        ld a, 2
        ld (handshake + 1), a
done:
        jr done

        include "z80side.inc"
