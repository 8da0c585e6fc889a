| The version register, the Z80 bus request and reset registers, Z80 RAM as
| the 68000 sees it, and the TMSS bytes, each read back after the writes the
| program makes.
|
| Results (bytes unless marked):
|   +0  version register (0xA10001)       +1  version register (0xA10000)
|   +2  0xA11100 after reset              +3  0xA11100 after word 0x0000 (Z80 released)
|   +4  0xA11100 after word 0x0100        +5  0xA11100 after byte 0x00
|   +6  0xA11100 after byte 0x01          +7  0xA11101
|   +8  0xA11200                          +9  0xA11201
|   +10 Z80 RAM byte 0x0010 read back after writing 0x5A through 0xA00010
|   +11 Z80 RAM byte 0x2010 (mirror of 0x0010)
|   +12 word read of 0xA00010 after byte 0xC3 at 0xA00011 (word)
|   +14 TMSS bytes 0xA14000-0xA14003 after writing "SEGA" (long)
|   +18 word read of 0xA14002 (word)
|   +20 0xA11100 after byte 0x01 and then byte 0x00 to 0xA11200 (the Z80
|       reset leaves the bus request as it was)
|   +21 the mark 0x42 when the program reached its end

    .include "cart.i"
    CART

start:
    move.b  VERSION,RESULTS+0
    move.b  VERSION-1,RESULTS+1

    move.b  Z80_BUSREQ,RESULTS+2
    move.w  #0x0000,Z80_BUSREQ
    move.b  Z80_BUSREQ,RESULTS+3
    move.w  #0x0100,Z80_BUSREQ
    move.b  Z80_BUSREQ,RESULTS+4
    move.b  #0x00,Z80_BUSREQ
    move.b  Z80_BUSREQ,RESULTS+5
    move.b  #0x01,Z80_BUSREQ
    move.b  Z80_BUSREQ,RESULTS+6
    move.b  Z80_BUSREQ+1,RESULTS+7
    move.b  Z80_RESET,RESULTS+8
    move.b  Z80_RESET+1,RESULTS+9

    move.b  #0x5A,Z80_RAM+0x10
    move.b  Z80_RAM+0x10,RESULTS+10
    move.b  Z80_RAM+0x2010,RESULTS+11
    move.b  #0xC3,Z80_RAM+0x11
    move.w  Z80_RAM+0x10,RESULTS+12

    move.b  #'S',TMSS
    move.b  #'E',TMSS+1
    move.b  #'G',TMSS+2
    move.b  #'A',TMSS+3
    move.b  TMSS,RESULTS+14
    move.b  TMSS+1,RESULTS+15
    move.b  TMSS+2,RESULTS+16
    move.b  TMSS+3,RESULTS+17
    move.w  TMSS+2,RESULTS+18

    move.b  #0x01,Z80_BUSREQ
    move.b  #0x00,Z80_RESET
    move.b  Z80_BUSREQ,RESULTS+20
    move.b  #0x42,RESULTS+21
done:
    bra.s   done
