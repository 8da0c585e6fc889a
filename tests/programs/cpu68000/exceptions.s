| Exception entry and return, checked by the program itself.
|
| Each exception handler records its vector number, the stacked SR and the
| stacked PC; the main code then compares them with what the 68000 defines
| for that exception (which PC is stacked, which flags are set) and counts a
| pass, or stores the number of the failed check and stops.
|
| Results (long words): PASSES, FAILED (0 = none), DONE (0x600D600D at the end).

    .equ    RESULTS, 0x8000
    .equ    PASSES,  RESULTS
    .equ    FAILED,  RESULTS + 4
    .equ    DONE,    RESULTS + 8
    .equ    LAST_VECTOR, RESULTS + 12
    .equ    LAST_SR, RESULTS + 16
    .equ    LAST_PC, RESULTS + 20
    .equ    TRACE_COUNT, RESULTS + 24
    .equ    TRACE_LOG, RESULTS + 0x40
    .equ    SUPERVISOR_STACK, 0x10000
    .equ    USER_STACK, 0xF000

    .text
vectors:
    dc.l    SUPERVISOR_STACK
    dc.l    start
    dc.l    unexpected, unexpected          | 2-3: the core has no bus or address errors
    dc.l    onIllegal                       | 4
    dc.l    onZeroDivide                    | 5
    dc.l    onChk                           | 6
    dc.l    onTrapv                         | 7
    dc.l    onPrivilege                     | 8
    dc.l    onTrace                         | 9
    dc.l    onLineA                         | 10
    dc.l    onLineF                         | 11
    .rept   20
    dc.l    unexpected                      | 12-31
    .endr
    .rept   16
    dc.l    onTrap                          | 32-47: TRAP #0-15
    .endr

| The handlers record what the exception stacked.
record:
    move.w  (4,%sp),LAST_SR                 | frame: SR at (sp), PC at 2(sp), below our return address
    move.l  (6,%sp),LAST_PC
    rts

onIllegal:
    move.w  #4,LAST_VECTOR
    bsr     record
    addq.l  #2,(2,%sp)                      | the stacked PC is the opcode's: skip it
    rte
onZeroDivide:
    move.w  #5,LAST_VECTOR
    bsr     record
    rte
onChk:
    move.w  #6,LAST_VECTOR
    bsr     record
    rte
onTrapv:
    move.w  #7,LAST_VECTOR
    bsr     record
    rte
onPrivilege:
    move.w  #8,LAST_VECTOR
    bsr     record
    ori.w   #0x2000,(%sp)                   | return in supervisor mode, so the instruction runs
    rte
onLineA:
    move.w  #10,LAST_VECTOR
    bsr     record
    addq.l  #2,(2,%sp)
    rte
onLineF:
    move.w  #11,LAST_VECTOR
    bsr     record
    addq.l  #2,(2,%sp)
    rte
onTrap:
    move.w  #32,LAST_VECTOR
    bsr     record
    rte

| The trace handler logs each stacked PC.
onTrace:
    move.l  %a5,-(%sp)
    move.l  TRACE_COUNT,%d7
    lsl.l   #2,%d7
    lea     TRACE_LOG,%a5
    move.l  (6,%sp),(0,%a5,%d7.l)
    addq.l  #1,TRACE_COUNT
    move.l  (%sp)+,%a5
    rte

unexpected:
    move.l  #0xBAD,FAILED
    bra     finish

    .macro  expect vector, pc, check
    cmp.w   #\vector,LAST_VECTOR
    bne     1f
    cmp.l   #\pc,LAST_PC
    bne     1f
    addq.l  #1,PASSES
    bra     2f
1:  move.l  #\check,FAILED
    bra     finish
2:
    .endm

start:
    clr.l   PASSES
    clr.l   FAILED
    clr.l   TRACE_COUNT

| Exceptions whose stacked PC is the opcode's own address.
illegalAt:
    illegal
    expect  4, illegalAt, 1
lineAAt:
    .short  0xA123
    expect  10, lineAAt, 2
lineFAt:
    .short  0xF800
    expect  11, lineFAt, 3

| Exceptions whose stacked PC is the next instruction.
    trap    #5
afterTrap:
    expect  32, afterTrap, 4

    moveq   #-1,%d0
    moveq   #10,%d1
    chk.w   %d1,%d0                         | below 0: traps with N set
afterChk:
    expect  6, afterChk, 5
    move.w  LAST_SR,%d2
    btst    #3,%d2                          | N in the stacked SR
    bne     1f
    move.l  #6,FAILED
    bra     finish
1:  clr.w   LAST_VECTOR
    moveq   #5,%d0
    chk.w   %d1,%d0                         | within bounds: no trap
    tst.w   LAST_VECTOR
    beq     1f
    move.l  #7,FAILED
    bra     finish
1:
    move.l  #1000,%d0
    moveq   #0,%d1
    divu.w  %d1,%d0
afterDivide:
    expect  5, afterDivide, 8
    cmp.l   #1000,%d0                       | the dividend is untouched
    beq     1f
    move.l  #9,FAILED
    bra     finish
1:
    move.w  #2,%ccr                         | V set
    trapv
afterTrapv:
    expect  7, afterTrapv, 10

| A privileged instruction in user mode stacks its own address and the user
| SR; the handler returns in supervisor mode, where the instruction runs.
    lea     USER_STACK,%a0
    move.l  %a0,%usp
    move.w  #0x0000,%sr                     | to user mode
    move.l  %sp,%d6                         | the user stack pointer is now active
privilegedAt:
    move.w  #0x2700,%sr
    expect  8, privilegedAt, 11
    move.w  LAST_SR,%d2
    btst    #13,%d2                         | S was clear in the stacked SR
    beq     1f
    move.l  #12,FAILED
    bra     finish
1:  cmp.l   #USER_STACK,%d6
    beq     1f
    move.l  #13,FAILED
    bra     finish
1:

| Trace: RTE to a frame whose SR has T set traces every instruction after it.
| The TRAP inside the traced code is not traced itself; its handler returns
| with T set again, so tracing resumes. ANDI to SR clears T, but it began
| with T set, so it is still traced; nothing after it is.
    pea     traced
    move.w  #0xA700,-(%sp)
    rte
traced:
    nop
traced1:
    moveq   #3,%d3
traced2:
    trap    #1
traced3:
    addq.l  #1,%d3
traced4:
    andi.w  #0x7FFF,%sr
traced5:
    cmp.l   #4,TRACE_COUNT
    beq     1f
    move.l  #14,FAILED
    bra     finish
1:  lea     TRACE_LOG,%a0
    lea     traceExpected,%a1
    moveq   #3,%d0
2:  cmp.l   (%a0)+,(%a1)+
    bne     3f
    dbra    %d0,2b
    addq.l  #1,PASSES
    bra     finish
3:  move.l  #15,FAILED

finish:
    move.l  #0x600D600D,DONE
1:  bra     1b

traceExpected:
    dc.l    traced1, traced2, traced4, traced5
