| The cartridge of the program's GUI tests: a picture of known colours that
| shows whether frames run and whether a state came back. The backdrop is
| rewritten twice a frame: from the V interrupt with red on even frames and
| green on odd ones (the top 112 lines), and from the H interrupt after line
| 111 with blue, or white once button A of pad 1 was seen pressed (the rest).
| Planes and sprites are empty, so every pixel is the backdrop.

    .include "machine/cart.i"
    CART hint_handler, vint_handler

    .equ    FRAMES, 0xFF0000                | frames seen by the V interrupt (word)
    .equ    PRESSED, 0xFF0002               | non-zero once A was seen (word)
    .equ    RED, 0x000E
    .equ    GREEN, 0x00E0
    .equ    BLUE, 0x0E00
    .equ    WHITE, 0x0EEE

start:
    move.w  #0x2700,%sr
    clr.w   FRAMES
    clr.w   PRESSED
    VDP_REG 0, 0x14                         | H interrupt on
    VDP_REG 1, 0x24                         | V interrupt on, display off while setting up
    VDP_REG 2, 0x30                         | plane A at 0xC000, clear
    VDP_REG 4, 0x07                         | plane B at 0xE000, clear
    VDP_REG 5, 0x6C                         | sprites at 0xD800, clear
    VDP_REG 7, 0x00                         | background: palette entry 0
    VDP_REG 10, 111                         | H interrupt after every 112 lines
    VDP_REG 12, 0x81                        | 40 cells
    VDP_REG 15, 2
    move.b  #0x40,PAD1_CTRL                 | TH is an output
    move.b  #0x00,PAD1_DATA                 | TH low: bit 4 is A (low when pressed)
    VDP_REG 1, 0x64                         | display on
    move.w  #0x2300,%sr
watch:
    btst    #4,PAD1_DATA
    bne.s   watch
    move.w  #1,PRESSED
    bra.s   watch

vint_handler:
    move.l  %d0,-(%sp)
    addq.w  #1,FRAMES
    move.w  #RED,%d0
    btst    #0,FRAMES+1
    beq.s   1f
    move.w  #GREEN,%d0
1:  move.l  #0xC0000000,VDP_CTRL            | CRAM write at 0
    move.w  %d0,VDP_DATA
    move.l  (%sp)+,%d0
    rte

hint_handler:
    move.l  %d0,-(%sp)
    move.w  #BLUE,%d0
    tst.w   PRESSED
    beq.s   1f
    move.w  #WHITE,%d0
1:  move.l  #0xC0000000,VDP_CTRL
    move.w  %d0,VDP_DATA
    move.l  (%sp)+,%d0
    rte
