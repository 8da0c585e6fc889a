| The Mega-CD "BIOS" of the program's GUI tests: it only shows that it was
| booted, by painting the whole picture cyan (the backdrop, with empty
| planes). The sub CPU stays held in reset.

    .include "megacd/bios.i"
    BIOS

    .equ    VDP_DATA, 0xC00000
    .equ    VDP_CTRL, 0xC00004

start:
    move.w  #0x2700,%sr
    move.w  #0x8104,VDP_CTRL                | display off
    move.w  #0x8700,VDP_CTRL                | background: palette entry 0
    move.w  #0x8F02,VDP_CTRL
    move.l  #0xC0000000,VDP_CTRL            | CRAM write at 0
    move.w  #0x0EE0,VDP_DATA                | cyan: full green and blue
    move.w  #0x8144,VDP_CTRL                | display on
idle:
    bra.s   idle
