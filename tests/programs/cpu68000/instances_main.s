| The first of two 68000 instances. Its bus handlers run the second one:
| a word written to 0xA00000 runs the second instance for that many cycles,
| a word read from 0xA00002 returns the second instance's D0.

    .equ    RESULTS, 0x8000
    .equ    COUNT_1, RESULTS
    .equ    COUNT_2, RESULTS + 4
    .equ    DONE, RESULTS + 8
    .equ    RUN_OTHER, 0xA00000
    .equ    OTHER_D0, 0xA00002

    .text
    dc.l    0x10000
    dc.l    start
start:
    move.w  #180,RUN_OTHER                  | 20 cycles
    move.w  OTHER_D0,%d1                    | 16
    move.l  %d1,COUNT_1                     | 20
    move.w  #180,RUN_OTHER
    move.w  OTHER_D0,%d2
    move.l  %d2,COUNT_2
    move.l  #0x600D600D,DONE
1:  bra     1b
