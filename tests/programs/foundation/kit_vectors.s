| A minimal program in the shape every 68000 test program has: the vector
| table at address 0 (initial SSP, initial PC), then code. The kit's own
| test checks these bytes against the instructions' documented encodings.

        .text
        .org    0
vectors:
        dc.l    0x00008000              | initial SSP
        dc.l    start                   | initial PC

        .org    0x100
start:
        nop                             | 4E71
        moveq   #1,%d0                  | 7001
        move.w  #0x1234,%d1             | 323C 1234
        stop    #0x2700                 | 4E72 2700
        illegal                         | 4AFC
        rts                             | 4E75
