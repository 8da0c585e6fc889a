| An instruction mix typical of game code, looping forever: block copies,
| ALU work on registers and memory, table look-ups, bit tests, shifts,
| subroutine calls with MOVEM, and counted loops.

    .equ    WORK, 0x8000
    .equ    SOURCE, 0x9000
    .equ    TARGET, 0xA000

    .text
    dc.l    0x10000
    dc.l    start

start:
    lea     SOURCE,%a0
    moveq   #63,%d0
1:  move.w  %d0,(%a0)+
    dbra    %d0,1b

frame:
    | copy a block
    lea     SOURCE,%a0
    lea     TARGET,%a1
    moveq   #15,%d0
1:  move.l  (%a0)+,(%a1)+
    dbra    %d0,1b

    | update a table of objects
    lea     WORK,%a2
    moveq   #7,%d7
2:  move.w  (%a2),%d1
    add.w   (2,%a2),%d1
    move.w  %d1,(%a2)
    cmp.w   #0x100,%d1
    blt.s   3f
    clr.w   (%a2)
3:  addq.w  #1,(2,%a2)
    move.b  (4,%a2),%d2
    btst    #3,%d2
    beq.s   4f
    eor.b   #0x0F,(4,%a2)
4:  lea     (8,%a2),%a2
    dbra    %d7,2b

    | arithmetic
    move.w  #1234,%d3
    mulu.w  #37,%d3
    lsr.l   #3,%d3
    and.l   #0xFFFF,%d3
    or.w    %d3,WORK+0x80
    add.l   %d3,%d4
    sub.w   #9,%d4
    tst.l   %d4
    bpl.s   5f
    neg.l   %d4
5:
    | a call with saved registers
    bsr     helper
    bra     frame

helper:
    movem.l %d0-%d3/%a0-%a1,-(%sp)
    lea     SOURCE,%a0
    moveq   #3,%d0
    moveq   #0,%d1
6:  add.w   (%a0)+,%d1
    asl.w   #1,%d1
    dbra    %d0,6b
    move.w  %d1,WORK+0x82
    movem.l (%sp)+,%d0-%d3/%a0-%a1
    rts
