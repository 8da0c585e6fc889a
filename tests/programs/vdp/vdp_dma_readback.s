| DMA and the data port read back through the data port: a 68000-to-VRAM
| transfer, a VRAM copy to an odd address, a VRAM fill, CRAM and VSRAM
| written and read, and a 68000-to-CRAM transfer. Every read goes to RESULTS:
|   +0x00  16 words of VRAM 0x1000 after the transfer of SOURCE words 0-15
|   +0x20  12 words of VRAM 0x2000 after copying 20 bytes from 0x1000 to 0x2001
|   +0x40   9 words of VRAM 0x2FFE after a fill of 0x5A5A at 0x3000, length 16
|   +0x60   4 words of CRAM 0x20 written through the data port
|   +0x68   2 words of VSRAM 0x10 written through the data port
|   +0x70   8 words of CRAM 0x00 after the transfer of COLOURS words 0-7
|   +0x80  0xD0A1D0A1 when done
| SOURCE word i is (0x1357 i + 0x2468) mod 0x10000; COLOURS word i has red
| 3i & 7, green (5i + 1) & 7 and blue (7 - i) & 7 (only the bits CRAM keeps).

    .include "vdp_cart.i"
    VDP_CART

    | Reads \count words of \code memory from \addr into (a0)+.
    .macro  READ_BACK code, addr, count
    VDP_COMMAND \code, \addr
    move.w  #(\count) - 1,%d7
1:
    move.w  VDP_DATA,(%a0)+
    dbra    %d7,1b
    .endm

start:
    move.w  #0x2700,%sr
    VDP_REG 1, 0x14                         | DMA on, display off
    VDP_REG 15, 2

    DMA_68K CODE_VRAM_WRITE, 0x1000, source, 16
    lea     RESULTS,%a0
    READ_BACK CODE_VRAM_READ, 0x1000, 16

    VDP_REG 15, 1
    VDP_REG 19, 20
    VDP_REG 20, 0
    VDP_REG 21, 0x00
    VDP_REG 22, 0x10
    VDP_REG 23, 0xC0
    VDP_COMMAND CODE_VRAM_COPY, 0x2001
    VDP_REG 15, 2
    lea     RESULTS + 0x20,%a0
    READ_BACK CODE_VRAM_READ, 0x2000, 12

    VDP_REG 15, 1
    VDP_REG 19, 16
    VDP_REG 20, 0
    VDP_REG 23, 0x80
    VDP_COMMAND (CODE_VRAM_WRITE + CODE_DMA), 0x3000
    move.w  #0x5A5A,VDP_DATA                | the fill value
    VDP_REG 15, 2
    lea     RESULTS + 0x40,%a0
    READ_BACK CODE_VRAM_READ, 0x2FFE, 9

    VDP_COMMAND CODE_CRAM_WRITE, 0x20
    move.w  #0x0E00,VDP_DATA
    move.w  #0x00E0,VDP_DATA
    move.w  #0x000E,VDP_DATA
    move.w  #0x0AC6,VDP_DATA
    lea     RESULTS + 0x60,%a0
    READ_BACK CODE_CRAM_READ, 0x20, 4

    VDP_COMMAND CODE_VSRAM_WRITE, 0x10
    move.w  #0x0123,VDP_DATA
    move.w  #0x03FF,VDP_DATA
    lea     RESULTS + 0x68,%a0
    READ_BACK CODE_VSRAM_READ, 0x10, 2

    DMA_68K CODE_CRAM_WRITE, 0, colour_source, 8
    lea     RESULTS + 0x70,%a0
    READ_BACK CODE_CRAM_READ, 0, 8

    move.l  #0xD0A1D0A1,RESULTS + 0x80
idle:
    bra.s   idle

    .balign 2
source:
    .set    i, 0
    .rept   16
    dc.w    (0x1357 * i + 0x2468) & 0xFFFF
    .set    i, i + 1
    .endr

colour_source:
    .set    i, 0
    .rept   8
    dc.w    (((3 * i) & 7) << 1) + ((((5 * i) + 1) & 7) << 5) + (((7 - i) & 7) << 9)
    .set    i, i + 1
    .endr
