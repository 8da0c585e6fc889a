| A picture of one colour: colour 0 of palette line 0 is set to full red
| (CRAM word 0x000E), register 7 selects it as the background and the
| display is off, so every shown pixel is the background colour.

    .include "cart.i"
    CART

start:
    VDP_REG 1, 0x04                         | display off
    VDP_REG 7, 0x00                         | background: palette entry 0
    VDP_REG 15, 0x02
    move.l  #0xC0000000,VDP_CTRL            | CRAM write at 0
    move.w  #0x000E,VDP_DATA
done:
    bra.s   done
