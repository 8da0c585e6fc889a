| The frame of the VDP test programs: a cartridge image that starts with the
| 68000 vector table and the cartridge header, then the interrupt handlers'
| common exits at 0x200 and the program (label `start`).
|
| Use:  VDP_CART hint_handler, vint_handler   (either may be `vdp_ignore`)
| Programs read their parameters from work RAM at PARAMS (the test writes
| them after the load and before the first frame) and record results from
| RESULTS on. An exception the program does not expect stores
| UNEXPECTED_MARK at UNEXPECTED and stops there.

    .equ    PARAMS, 0xFF0000
    .equ    RESULTS, 0xFF0100
    .equ    UNEXPECTED, 0xFFFFF0
    .equ    UNEXPECTED_MARK, 0xDEADDEAD
    .equ    SUPERVISOR_STACK, 0xFFFE00

    .equ    VDP_DATA, 0xC00000
    .equ    VDP_CTRL, 0xC00004

    .macro  VDP_CART hint=vdp_ignore, vint=vdp_ignore
    .text
    .org    0
    dc.l    SUPERVISOR_STACK                | 0 initial SSP
    dc.l    start                           | 1 initial PC
    .rept   22
    dc.l    vdp_unexpected                  | 2-23
    .endr
    dc.l    vdp_unexpected                  | 24 spurious
    dc.l    vdp_ignore                      | 25 level 1
    dc.l    vdp_ignore                      | 26 level 2
    dc.l    vdp_ignore                      | 27 level 3
    dc.l    \hint                           | 28 level 4: H interrupt
    dc.l    vdp_ignore                      | 29 level 5
    dc.l    \vint                           | 30 level 6: V interrupt
    dc.l    vdp_ignore                      | 31 level 7
    .rept   32
    dc.l    vdp_unexpected                  | 32-63
    .endr

    .org    0x100
    .ascii  "SEGA MEGA DRIVE "
    .ascii  "(C)VIMO 2024.JAN"
    .ascii  "VDP TEST PROGRAM                                "
    .ascii  "VDP TEST PROGRAM                                "
    .ascii  "GM 00000000-00"
    .org    0x1F0
    .ascii  "JUE"

    .org    0x200
vdp_ignore:
    rte
vdp_unexpected:
    move.l  #UNEXPECTED_MARK,UNEXPECTED
    bra.s   vdp_unexpected
    .endm

| Sets VDP register \reg to \value through the control port.
    .macro  VDP_REG reg, value
    move.w  #(0x8000 + ((\reg) << 8) + (\value)),VDP_CTRL
    .endm

| The two control words of a command with code \code (CD5-CD0) at \addr, as
| one long: CD1-CD0 and A13-A0 in the first word, CD5-CD2 and A15-A14 in the
| second.
    .macro  VDP_COMMAND code, addr
    move.l  #((((\code) & 3) << 30) + (((\addr) & 0x3FFF) << 16) + ((((\code) >> 2) & 0xF) << 4) + (((\addr) >> 14) & 3)),VDP_CTRL
    .endm

    .equ    CODE_VRAM_READ, 0x00
    .equ    CODE_VRAM_WRITE, 0x01
    .equ    CODE_CRAM_WRITE, 0x03
    .equ    CODE_VSRAM_READ, 0x04
    .equ    CODE_VSRAM_WRITE, 0x05
    .equ    CODE_CRAM_READ, 0x08
    .equ    CODE_DMA, 0x20              | CD5: start a DMA with the command
    .equ    CODE_VRAM_COPY, 0x30

| DMA from 68000 memory: \words words from \source (a label) to \addr of the
| memory \code names. Registers 19-23 take the length and the source
| shifted right by one.
    .macro  DMA_68K code, addr, source, words
    VDP_REG 19, ((\words) & 0xFF)
    VDP_REG 20, (((\words) >> 8) & 0xFF)
    move.l  #\source,%d0
    lsr.l   #1,%d0
    move.w  #0x9500,%d1
    move.b  %d0,%d1
    move.w  %d1,VDP_CTRL
    lsr.l   #8,%d0
    move.w  #0x9600,%d1
    move.b  %d0,%d1
    move.w  %d1,VDP_CTRL
    lsr.l   #8,%d0
    move.w  #0x9700,%d1
    move.b  %d0,%d1
    andi.b  #0x7F,%d1
    move.w  %d1,VDP_CTRL
    VDP_COMMAND ((\code) + CODE_DMA), \addr
    .endm
