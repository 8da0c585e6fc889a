| Bus request and reset of the Z80 from the 68000 side, watched through the
| count of the Z80 program z80side_counter (a word at Z80 0x1800 that grows
| by one every 32 Z80 cycles while it runs; its starts counted at 0x1802).
| The 68000 reads the count as one word access (so the Z80 cannot run in
| between its two bytes) and waits with a delay loop of about 80 lines.
|
| Results (words unless a byte):
|   +0  0xA11100 while the Z80 runs (byte)  +1  0xA11100 after a bus request (byte)
|   +2  count a (running)                    +4  count b, a delay later
|   +6  count c, right after a bus request   +8  count d, a delay later (held)
|   +10 count e, a delay after the release
|   +12 starts before the reset (byte)       +13 starts a delay after it (byte)
|   +14 count f, a delay after the reset
|   +16 starts a delay after a reset made while the bus is held (byte)
|   +17 starts a delay after that bus is released (byte)
|   +18 the mark 0x42 when the program reached its end (byte)

    .include "cart.i"
    .include "z80_host.i"
    CART

    .equ    Z80_COUNT, Z80_RESULTS
    .equ    Z80_STARTS, Z80_RESULTS+2
    .equ    DELAY, 4000                     | dbra rounds of 10 cycles

start:
    LOAD_Z80
    bsr     delay
    move.b  Z80_BUSREQ,RESULTS+0
    bsr     read_count
    move.w  %d0,RESULTS+2
    bsr     delay
    bsr     read_count
    move.w  %d0,RESULTS+4

    move.w  #0x0100,Z80_BUSREQ              | bus request: the Z80 stops
    move.b  Z80_BUSREQ,RESULTS+1
    bsr     read_count
    move.w  %d0,RESULTS+6
    bsr     delay
    bsr     read_count
    move.w  %d0,RESULTS+8
    move.w  #0x0000,Z80_BUSREQ              | released: it goes on
    bsr     delay
    bsr     read_count
    move.w  %d0,RESULTS+10

    move.b  Z80_STARTS,RESULTS+12
    move.w  #0x0000,Z80_RESET               | reset pulse: it starts again at 0
    move.w  #0x0100,Z80_RESET
    bsr     delay
    move.b  Z80_STARTS,RESULTS+13
    bsr     read_count
    move.w  %d0,RESULTS+14

    move.w  #0x0100,Z80_BUSREQ              | a reset while the bus is held
    move.w  #0x0000,Z80_RESET
    move.w  #0x0100,Z80_RESET
    bsr     delay
    move.b  Z80_STARTS,RESULTS+16
    move.w  #0x0000,Z80_BUSREQ
    bsr     delay
    move.b  Z80_STARTS,RESULTS+17
    move.b  #0x42,RESULTS+18
done:
    bra.s   done

| d0 = the Z80's count (stored little-endian in Z80 RAM).
read_count:
    move.w  Z80_COUNT,%d0
    rol.w   #8,%d0
    rts

delay:
    move.w  #DELAY,%d1
1:
    dbra    %d1,1b
    rts
