| The second instance counts in D0: 18 cycles a round (ADDQ.L 8, BRA.S 10).

    .text
    dc.l    0x10000
    dc.l    loop
loop:
    addq.l  #1,%d0
    bra.s   loop
