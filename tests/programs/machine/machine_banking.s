| ROM banking above 4 MB. The test builds an image of more than 4 MB from
| this program whose 512 KB blocks each begin with the word 0xB0nn, nn the
| block's number (block 0 holds the program). The program reads the first
| word of slots 1 and 7, switches banks and reads again.
|
| Results (words):
|   +0  slot 7 (0x380000) before any bank write
|   +2  slot 7 after 0x09 to 0xA130FF
|   +4  slot 1 (0x080000) after 0x08 to 0xA130F3
|   +6  0x400000, outside the mapped 4 MB
|   +8  slot 7 after 0x07 to 0xA130FF (back to its own block)
|   +10 slot 2 (0x100000) after 0x03 to 0xA130F4 (an even address: no bank)
|   +12 the mark 0x4242 at the end

    .include "cart.i"
    CART

start:
    move.w  0x380000,RESULTS+0
    move.b  #0x09,0xA130FF
    move.w  0x380000,RESULTS+2
    move.b  #0x08,0xA130F3
    move.w  0x080000,RESULTS+4
    move.w  0x400000,RESULTS+6
    move.b  #0x07,0xA130FF
    move.w  0x380000,RESULTS+8
    move.b  #0x03,0xA130F4
    move.w  0x100000,RESULTS+10
    move.w  #0x4242,RESULTS+12
done:
    bra.s   done
