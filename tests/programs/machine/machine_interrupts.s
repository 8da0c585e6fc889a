| H and V interrupts. Register 10 is set to HINT_INTERVAL and both interrupts
| are enabled; each handler appends one log word: the H interrupt the V
| counter of its line, the V interrupt 0x8000 + its V counter. The V handler
| also keeps the status word it read.
|
| Results: +0 log length (word), +2 the status word of the last V interrupt,
| +4 the number of V interrupts (word), log words from +0x10.

    .include "cart.i"
    CART on_hint, on_vint

    .equ    HINT_INTERVAL, 4
    .equ    LOG_LENGTH, RESULTS
    .equ    VINT_STATUS, RESULTS + 2
    .equ    VINT_COUNT, RESULTS + 4
    .equ    LOG, RESULTS + 0x10
    .equ    LOG_LIMIT, 0x2000

start:
    VDP_REG 10, HINT_INTERVAL
    VDP_REG 0, 0x14                         | H interrupt on
    VDP_REG 1, 0x64                         | display and V interrupt on
    move.w  #0x2000,%sr                     | every level taken
idle:
    bra.s   idle

| Appends the word in d0 to the log (d0/a0 saved by the caller).
append:
    move.w  LOG_LENGTH,%a0
    cmp.w   #LOG_LIMIT,%a0
    bcc.s   full
    add.l   %a0,%a0
    add.l   #LOG,%a0
    move.w  %d0,(%a0)
    addq.w  #1,LOG_LENGTH
full:
    rts

on_hint:
    movem.l %d0/%a0,-(%sp)
    moveq   #0,%d0
    move.b  VDP_V,%d0
    bsr.s   append
    movem.l (%sp)+,%d0/%a0
    rte

on_vint:
    movem.l %d0/%a0,-(%sp)
    move.w  VDP_CTRL,VINT_STATUS
    moveq   #0,%d0
    move.b  VDP_V,%d0
    or.w    #0x8000,%d0
    bsr.s   append
    addq.w  #1,VINT_COUNT
    movem.l (%sp)+,%d0/%a0
    rte
