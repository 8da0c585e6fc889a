| Boot from the vectors: the 68000 starts at the initial PC with the initial
| SSP and SR 0x2700, and runs from the cartridge ROM into work RAM.
|
| Results: +0 the mark 0x600DB007, +4 the stack pointer seen at start (long),
| +8 the SR seen at start (word), +10 a word copied from ROM (the program's
| first instruction), +12 a counter that the main loop keeps incrementing.

    .include "cart.i"
    CART

start:
    move.l  %sp,RESULTS+4
    move.w  %sr,RESULTS+8
    move.w  start,RESULTS+10
    move.l  #0x600DB007,RESULTS
loop:
    addq.l  #1,RESULTS+12
    bra.s   loop
