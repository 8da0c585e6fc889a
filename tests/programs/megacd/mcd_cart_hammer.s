| A cartridge writing the Mega-CD register range 0xA12000-0xA1202F with bytes,
| words and longs at every address, even and odd: the memory-mode, program-RAM
| bank and H-interrupt vector registers among them. In cartridge mode this
| must change no memory map and none of the cartridge's own ROM.
|
| Results: +0 the done mark 0x600D, +12 a counter.

    .include "machine/cart.i"
    CART

start:
    lea     0xA12000,%a0
    move.w  #0x2F,%d7
1:  move.b  #0xFF,(%a0)
    move.b  #0xC3,(%a0)
    move.b  #0x02,(%a0)
    move.w  #0xFFFF,(%a0)
    move.w  #0xC0C6,(%a0)
    move.l  #0x12345678,(%a0)
    addq.l  #1,%a0
    dbra    %d7,1b
    move.w  #0x600D,RESULTS
2:  addq.l  #1,RESULTS+12
    bra.s   2b
