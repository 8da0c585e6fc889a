| Colour bars changed per line from the H interrupt: the background colour
| (CRAM entry 0) is rewritten on every line, so each shown line has the
| colour BAR_TABLE gives it. The V interrupt starts the frame over with
| entry 0 of the table; the H interrupt of line n writes entry n + 1, which
| shows from line n + 1 on.
|
| PARAMS + 0 (word): register 12 (0x81: 40 cells, 0x00: 32 cells).
| RESULTS + 0 (long): frames seen by the V interrupt.

    .include "vdp_cart.i"
    VDP_CART hint_handler, vint_handler

    .equ    LINE, 0xFF0200                  | table entry to write next (word)

start:
    move.w  #0x2700,%sr
    VDP_REG 0, 0x14                         | H interrupt on
    VDP_REG 1, 0x24                         | V interrupt on, display off while setting up
    VDP_REG 2, 0x30                         | plane A at 0xC000 (VRAM is clear: nothing drawn)
    VDP_REG 4, 0x07                         | plane B at 0xE000
    VDP_REG 5, 0x6C                         | sprites at 0xD800: sprite 0 is all zero
    VDP_REG 7, 0x00                         | background: entry 0
    VDP_REG 10, 0x00                        | an H interrupt on every line
    VDP_REG 15, 2
    move.w  PARAMS,%d0
    andi.w  #0xFF,%d0
    ori.w   #0x8C00,%d0
    move.w  %d0,VDP_CTRL                     | register 12
    clr.w   LINE
    VDP_REG 1, 0x64                         | display on
    move.w  #0x2300,%sr                      | levels 4 and 6 taken
idle:
    bra.s   idle

vint_handler:
    move.l  %d0,-(%sp)
    addq.l  #1,RESULTS
    clr.w   LINE
    VDP_COMMAND CODE_CRAM_WRITE, 0
    move.w  bar_table,VDP_DATA
    move.l  (%sp)+,%d0
    rte

hint_handler:
    movem.l %d0/%a0,-(%sp)
    move.w  LINE,%d0
    addq.w  #1,%d0
    move.w  %d0,LINE
    add.w   %d0,%d0
    lea     bar_table,%a0
    VDP_COMMAND CODE_CRAM_WRITE, 0
    move.w  0(%a0,%d0.w),VDP_DATA
    movem.l (%sp)+,%d0/%a0
    rte

| Entry n: the colour (n * 37 + 5) mod 512, blue in bits 11-9, green in
| 7-5, red in 3-1.
    .balign 2
bar_table:
    .set    n, 0
    .rept   240
    .set    c, (n * 37 + 5) & 511
    dc.w    ((c & 7) << 1) + (((c >> 3) & 7) << 5) + (((c >> 6) & 7) << 9)
    .set    n, n + 1
    .endr
