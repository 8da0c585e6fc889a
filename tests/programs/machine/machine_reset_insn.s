| A RESET instruction in the program is skipped: execution goes on at the
| following word and the frame goes on.
|
| Results: +0 the word 0x1111 stored before the RESET, +2 the word 0x2222
| stored after it, +4 a counter that the main loop keeps incrementing.

    .include "cart.i"
    CART

start:
    move.w  #0x1111,RESULTS
    reset
    move.w  #0x2222,RESULTS+2
loop:
    addq.w  #1,RESULTS+4
    bra.s   loop
