| A picture of one colour that the Z80 chooses: the 68000 switches the
| display off, selects palette entry 0 as the background, points the VDP at
| CRAM 0 and starts the Z80 program (z80side_backdrop), which writes the
| colour through its window.

    .include "cart.i"
    .include "z80_host.i"
    CART

start:
    VDP_REG 1, 0x04                         | display off
    VDP_REG 7, 0x00                         | background: palette entry 0
    VDP_REG 15, 0x02
    move.l  #0xC0000000,VDP_CTRL            | CRAM write at 0
    LOAD_Z80
done:
    bra.s   done
