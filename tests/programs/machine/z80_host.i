| Starting a Z80 program as a game does: the 68000 takes the Z80's bus,
| copies the program into Z80 RAM, resets the Z80 and gives its bus back.
| The tests place the Z80 program at Z80_IMAGE in the cartridge image.

    .equ    Z80_IMAGE, 0x8000
    .equ    Z80_IMAGE_SIZE, 0x2000
    .equ    Z80_BANK, 0xA06000
    .equ    Z80_HANDSHAKE, Z80_RAM+0x1700   | flags exchanged with the Z80 program
    .equ    Z80_RESULTS, Z80_RAM+0x1800     | the Z80 program's results
    .equ    Z80_STARTED_MARK, 0x2800600D

    .macro  LOAD_Z80
    move.w  #0x0100,Z80_BUSREQ              | take the Z80's bus
    move.w  #0x0100,Z80_RESET               | reset line high
    lea     Z80_IMAGE,%a0
    lea     Z80_RAM,%a1
    move.w  #Z80_IMAGE_SIZE-1,%d0
1:
    move.b  (%a0)+,(%a1)+
    dbra    %d0,1b
    move.w  #0x0000,Z80_RESET               | reset pulse: the Z80 starts at 0
    move.w  #0x0000,Z80_BUSREQ              | give the bus back: the Z80 runs
    move.w  #0x0100,Z80_RESET
    .endm

    | Sets the Z80's bank register from the 68000 side: nine writes, bit 0
    | of the first ending in bit 0 of the bank.
    .macro  SET_Z80_BANK bank
    .irp    bit,0,1,2,3,4,5,6,7,8
    move.b  #((\bank >> \bit) & 1),Z80_BANK
    .endr
    .endm
