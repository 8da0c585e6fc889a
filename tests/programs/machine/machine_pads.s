| Pad reads through the TH sequence. For each pad the program sets TH as an
| output, then writes TH high and low in turn and reads the data port after
| every write: nine reads, enough for the six-button protocol's four pulses.
| Then it waits for 40 line changes of the V counter without touching the
| pads (the six-button count runs out) and reads again: TH high, TH low, TH
| high.
|
| Results: pad 1 from +0, pad 2 from +0x10: nine bytes of the pulse sequence,
| then the three bytes after the pause at +9. +0x20 holds the mark 0x42 at
| the end.

    .include "cart.i"
    CART

    .equ    TH_HIGH, 0x40
    .equ    TH_LOW, 0x00

start:
    move.b  #0x40,PAD1_CTRL
    move.b  #0x40,PAD2_CTRL
    lea     PAD1_DATA,%a1
    lea     RESULTS,%a0
    bsr.s   pulses
    lea     PAD2_DATA,%a1
    lea     RESULTS+0x10,%a0
    bsr.s   pulses

    bsr.s   pause
    lea     PAD1_DATA,%a1
    lea     RESULTS+9,%a0
    bsr.s   three_reads
    lea     PAD2_DATA,%a1
    lea     RESULTS+0x19,%a0
    bsr.s   three_reads

    move.b  #0x42,RESULTS+0x20
done:
    bra.s   done

| Writes TH high, low, high, low, high, low, high, low, high to (a1) and
| stores the byte read after each write at (a0)+.
pulses:
    moveq   #4-1,%d1
pulse:
    move.b  #TH_HIGH,(%a1)
    move.b  (%a1),(%a0)+
    move.b  #TH_LOW,(%a1)
    move.b  (%a1),(%a0)+
    dbf     %d1,pulse
    move.b  #TH_HIGH,(%a1)
    move.b  (%a1),(%a0)+
    rts

three_reads:
    move.b  #TH_HIGH,(%a1)
    move.b  (%a1),(%a0)+
    move.b  #TH_LOW,(%a1)
    move.b  (%a1),(%a0)+
    move.b  #TH_HIGH,(%a1)
    move.b  (%a1),(%a0)+
    rts

| Waits until the V counter has changed 40 times.
pause:
    moveq   #40-1,%d1
    move.b  VDP_V,%d0
wait_change:
    cmp.b   VDP_V,%d0
    beq.s   wait_change
    move.b  VDP_V,%d0
    dbf     %d1,wait_change
    rts
