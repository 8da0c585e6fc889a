| The frame of every machine test program: a cartridge image that starts with
| the 68000 vector table and the cartridge header, then two small handlers at
| 0x200 and the program's code (label `start`). Programs record what they
| observe in work RAM from RESULTS on; the tests read it back after running
| frames.
|
| Use:  CART hint_handler, vint_handler   (either may be `ignore_interrupt`)
| An exception the program does not expect stores UNEXPECTED_MARK at
| UNEXPECTED and stops there.

    .equ    RESULTS, 0xFF0000
    .equ    UNEXPECTED, 0xFFFFF0
    .equ    UNEXPECTED_MARK, 0xDEADDEAD
    .equ    SUPERVISOR_STACK, 0xFFFE00

    | Ports and registers used by the programs.
    .equ    VERSION, 0xA10001
    .equ    PAD1_DATA, 0xA10003
    .equ    PAD2_DATA, 0xA10005
    .equ    PAD1_CTRL, 0xA10009
    .equ    PAD2_CTRL, 0xA1000B
    .equ    Z80_RAM, 0xA00000
    .equ    Z80_BUSREQ, 0xA11100
    .equ    Z80_RESET, 0xA11200
    .equ    BANK_REGS, 0xA130F1
    .equ    TMSS, 0xA14000
    .equ    VDP_DATA, 0xC00000
    .equ    VDP_CTRL, 0xC00004
    .equ    VDP_HV, 0xC00008
    .equ    VDP_V, 0xC00008
    .equ    VDP_H, 0xC00009

    .macro  CART hint=ignore_interrupt, vint=ignore_interrupt
    .text
    .org    0
    dc.l    SUPERVISOR_STACK                | 0 initial SSP
    dc.l    start                           | 1 initial PC
    .rept   22
    dc.l    unexpected                      | 2-23
    .endr
    dc.l    unexpected                      | 24 spurious
    dc.l    ignore_interrupt                | 25 level 1
    dc.l    ignore_interrupt                | 26 level 2
    dc.l    ignore_interrupt                | 27 level 3
    dc.l    \hint                           | 28 level 4: H interrupt
    dc.l    ignore_interrupt                | 29 level 5
    dc.l    \vint                           | 30 level 6: V interrupt
    dc.l    ignore_interrupt                | 31 level 7
    .rept   32
    dc.l    unexpected                      | 32-63
    .endr

    .org    0x100
    .ascii  "SEGA MEGA DRIVE "              | System
    .ascii  "(C)VIMO 2024.JAN"              | Copyright
    .ascii  "MACHINE TEST PROGRAM                            "  | Name (Domestic)
    .ascii  "MACHINE TEST PROGRAM                            "  | Name (Overseas)
    .ascii  "GM 00000000-00"                | Product info
    .org    0x1F0
    .ascii  "JUE"                           | Countries

    .org    0x200
ignore_interrupt:
    rte
unexpected:
    move.l  #UNEXPECTED_MARK,UNEXPECTED
    bra.s   unexpected
    .endm

    | Sets VDP register \reg to \value through the control port.
    .macro  VDP_REG reg, value
    move.w  #(0x8000 + (\reg << 8) + \value),VDP_CTRL
    .endm
