| Booting the Mega-CD: the BIOS copies the sub program into program RAM while
| the sub CPU is held, leaves a marker in program-RAM bank 1, releases the sub
| CPU and talks to it through the comm flags and words; then it raises two
| level-2 interrupts, each once the sub CPU has taken the one before.
|
| Main results: +0 the sub CPU's start mark (0x5AB0), +2 what the sub CPU read
| at 0x020000 (the bank-1 marker 0xB1B1), +4 its answer to command 0x1234
| (0x1235), +6 the level-2 interrupts it counted (2), +8 the done mark 0x600D,
| +10 the status word before the release (0), +12 a counter.
| Sub status words: +0 start mark, +2 bank-1 marker, +4 answer, +6 level-2
| count, +8 a loop counter, +14 0xDEAD on an unexpected exception.

    .include "bios.i"
    BIOS

start:
    BOOT_SUB
    move.b  #0x40,GA_MODE                   | program-RAM bank 1
    move.w  #0xB1B1,PRG_WINDOW
    move.b  #0x00,GA_MODE
    move.w  GA_STATUS,RESULTS+10
    RELEASE_SUB

    move.w  #0x1234,GA_COMMAND
    move.b  #0x01,GA_MAIN_FLAG
1:  btst    #0,GA_SUB_FLAG
    beq.s   1b
    move.w  GA_STATUS,RESULTS
    move.w  GA_STATUS+2,RESULTS+2
    move.w  GA_STATUS+4,RESULTS+4

    moveq   #1,%d1
2:  bset    #0,GA_REQUEST
3:  btst    #0,GA_REQUEST                   | cleared when the sub CPU takes it
    bne.s   3b
    dbra    %d1,2b
4:  cmp.w   #2,GA_STATUS+6
    bne.s   4b
    move.w  GA_STATUS+6,RESULTS+6
    move.w  #0x600D,RESULTS+8
5:  addq.l  #1,RESULTS+12
    bra.s   5b

    SUB_VECTORS level2=sub_level2
sub_start:
    reset                                   | stepped over by the machine
    move.w  #0x5AB0,SUB_STATUS
    move.w  0x020000,SUB_STATUS+2
    move.b  #0x04,SUB_MASK                  | level 2 on
    move.w  #0x2000,%sr
1:  btst    #0,SUB_MAIN_FLAG
    beq.s   1b
    move.w  SUB_COMMAND,%d0
    addq.w  #1,%d0
    move.w  %d0,SUB_STATUS+4
    move.b  #0x01,SUB_SUB_FLAG
2:  addq.w  #1,SUB_STATUS+8
    bra.s   2b
sub_level2:
    addq.w  #1,SUB_STATUS+6
    rte
    .balign 2
sub_end:
