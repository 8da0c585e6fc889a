| Interrupts and STOP, driven from the test: the program stops or spins in
| phases and the test raises levels between slices. Every interrupt handler
| appends one entry to a log: the vector number (word), the stacked PC (long)
| and the stacked SR (word).
|
| Results: LOG_COUNT (long), LOG (8-byte entries), PHASE (long: the phase the
| program is in), AFTER_STOP_1 and AFTER_STOP_2 (the addresses the STOPs
| return to), DONE (0x600D600D at the end).

    .equ    RESULTS, 0x8000
    .equ    PHASE, RESULTS
    .equ    DONE, RESULTS + 4
    .equ    FLAG, RESULTS + 8
    .equ    AFTER_STOP_1, RESULTS + 12
    .equ    AFTER_STOP_2, RESULTS + 16
    .equ    LOG_COUNT, RESULTS + 20
    .equ    LOG, RESULTS + 0x40
    .equ    SUPERVISOR_STACK, 0x10000

    .text
vectors:
    dc.l    SUPERVISOR_STACK
    dc.l    start
    .rept   22
    dc.l    unexpected                      | 2-23
    .endr
    dc.l    onSpurious                      | 24
    dc.l    onLevel1, onLevel2, onLevel3, onLevel4, onLevel5, onLevel6, onLevel7
    .rept   32
    dc.l    unexpected                      | 32-63
    .endr
    dc.l    onVector64                      | 64

| d0 = vector number. Above the two registers saved here lie the return
| address and the handler's saved d0, then the frame: SR, then PC.
logEntry:
    movem.l %d1/%a0,-(%sp)
    move.l  LOG_COUNT,%d1
    lsl.l   #3,%d1
    lea     LOG,%a0
    add.l   %d1,%a0
    move.w  %d0,(%a0)+
    move.l  (8+4+4+2,%sp),(%a0)+            | stacked PC
    move.w  (8+4+4,%sp),(%a0)               | stacked SR
    addq.l  #1,LOG_COUNT
    movem.l (%sp)+,%d1/%a0
    rts

    .macro  handler name, vector
\name:
    move.l  %d0,-(%sp)
    move.w  #\vector,%d0
    bsr     logEntry
    move.l  (%sp)+,%d0
    rte
    .endm

    handler onSpurious, 24
    handler onLevel1, 25
    handler onLevel3, 27
    handler onLevel4, 28
    handler onLevel5, 29
    handler onLevel6, 30
    handler onVector64, 64

onLevel2:
    move.l  %d0,-(%sp)
    move.w  #26,%d0
    bsr     logEntry
    move.w  #1,FLAG
    move.l  (%sp)+,%d0
    rte

onLevel7:
    move.l  %d0,-(%sp)
    move.w  #31,%d0
    bsr     logEntry
    move.w  #7,FLAG
    move.l  (%sp)+,%d0
    rte

unexpected:
    move.l  #0xBAD,DONE
1:  bra     1b

start:
    clr.l   LOG_COUNT
    clr.w   FLAG
    move.l  #afterStop1,AFTER_STOP_1
    move.l  #afterStop2,AFTER_STOP_2

| Phase 1: stopped with mask 0; any level wakes it.
    move.l  #1,PHASE
    stop    #0x2000
afterStop1:

| Phase 2: stopped with mask 5: level 4 stays pending, level 6 wakes it;
| lowering the mask afterwards lets level 4 in.
    move.l  #2,PHASE
    stop    #0x2500
afterStop2:
    move.w  #0x2300,%sr

| Phase 3: running with mask 0 until level 2 has been taken.
    move.w  #0x2000,%sr
    move.l  #3,PHASE
1:  cmp.w   #1,FLAG
    bne     1b

| Phase 4: mask 7; only level 7 gets through.
    move.w  #0x2700,%sr
    move.l  #4,PHASE
1:  cmp.w   #7,FLAG
    bne     1b

    move.l  #0x600D600D,DONE
1:  bra     1b
