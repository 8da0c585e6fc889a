| The V and H counters through whole frames, sampled by a tight loop with
| interrupts masked.
|
| Results: +0 the number of samples taken (word, up to SAMPLES), then from
| +0x10 one HV word per sample (V counter high byte, H counter low byte), taken
| back to back with word reads of 0xC00008.

    .include "cart.i"
    CART

    .equ    SAMPLES, 0x6000
    .equ    COUNT, RESULTS
    .equ    BUFFER, RESULTS + 0x10

start:
    lea     BUFFER,%a0
    move.w  #SAMPLES-1,%d1
sample:
    move.w  VDP_HV,(%a0)+
    addq.w  #1,COUNT
    dbf     %d1,sample
done:
    bra.s   done
