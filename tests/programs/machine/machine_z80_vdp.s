| Lets the Z80 program z80side_vdp use the VDP data port: first a VRAM read
| at 0x1000 stepping by 1 (VRAM holds 0x12 0x34 0x56 0x78 there), then a
| CRAM write at 0, each handed over through the handshake flags (Z80 RAM
| 0x1700 to the Z80, 0x1701 back).
|
| Results: +0 the mark 0x42 once the Z80 has done both steps (byte).

    .include "cart.i"
    .include "z80_host.i"
    CART

start:
    VDP_REG 15, 2
    move.l  #0x50000000,VDP_CTRL            | VRAM write at 0x1000
    move.w  #0x1234,VDP_DATA
    move.w  #0x5678,VDP_DATA
    LOAD_Z80

    VDP_REG 15, 1
    move.l  #0x10000000,VDP_CTRL            | VRAM read at 0x1000
    move.b  #1,Z80_HANDSHAKE
1:
    cmpi.b  #1,Z80_HANDSHAKE+1
    bne.s   1b

    VDP_REG 15, 2
    move.l  #0xC0000000,VDP_CTRL            | CRAM write at 0
    move.b  #2,Z80_HANDSHAKE
2:
    cmpi.b  #2,Z80_HANDSHAKE+1
    bne.s   2b

    move.b  #0x42,RESULTS
done:
    bra.s   done
