| Sets the Z80's bank register to 0x1FD (68000 0xFE8000-0xFEFFFF, where the
| Z80 sees work RAM 0xFF8000-0xFFFFFF again) from the 68000 side, loads the
| Z80 program the test placed in the image, starts it and leaves the Z80
| alone.
|
| Results: +0 Z80_STARTED_MARK (long) once the Z80 has been started, +4 a
| counter the 68000's idle loop keeps incrementing (long).

    .include "cart.i"
    .include "z80_host.i"
    CART

start:
    SET_Z80_BANK 0x1FD
    LOAD_Z80
    move.l  #Z80_STARTED_MARK,RESULTS
idle:
    addq.l  #1,RESULTS+4
    bra.s   idle
