| The sub CPU's level-3 timer: reload 10, counted down by 2 per line, so one
| interrupt every 5 lines. The handler counts them in sub status word +0.

    .include "bios.i"
    BIOS

start:
    BOOT_SUB
    RELEASE_SUB
1:  addq.l  #1,RESULTS+12
    bra.s   1b

    SUB_VECTORS level3=sub_level3
sub_start:
    move.b  #10,SUB_TIMER
    move.b  #0x08,SUB_MASK                  | level 3 on
    move.w  #0x2000,%sr
1:  bra.s   1b
sub_level3:
    addq.w  #1,SUB_STATUS
    rte
    .balign 2
sub_end:
