| A disc read as a BIOS does it, through the gate array. The main CPU boots
| the sub program and leaves the byte at BIOS address 0x1F0 in RESULTS (the
| tests patch it to tell three BIOS files apart). The sub CPU asks the drive
| for the table of contents (first and last track, lead-out, start of track
| 1), waiting for the drive's level-4 interrupt after each command; sets the
| data controller up (RESET, IFCTRL = DECIEN | DOUTEN, CTRL0 = DECEN | WRRQ)
| and plays from 00:02:00. Its level-5 handler takes each decoded sector:
| acknowledges it, reads the header time from HEAD0-HEAD2 and the write
| pointer PT, and moves the sector's 2048 bytes from PT + 4 by DMA into
| program RAM slot (sector AND 15) at 0x20000 + slot x 0x800. It streams
| for as long as it runs.
|
| Main results: RESULTS +0 the byte at 0x1F0, +2 the done mark 0x600D.
| Sub status words: +0 stage (1 table of contents read, 2 playing), +2 sectors
| moved, +4 level-4 interrupts, +6 image sector of the last one moved,
| +8 status word 0 after the play command, +14 0xDEAD on an unexpected
| exception.
| Program RAM from TOC_RESULTS: after report 4 the status words at 0xFF8038,
| 3A, 3C; after report 3 the words 38, 3A, 3C, 3E; after report 5 of track
| 1 the words 38, 3A, 3C, 3E, 40.

    .include "bios.i"
    BIOS

    .equ    TOC_RESULTS, 0x18000            | sub address, in program RAM
    .equ    SECTOR_SLOTS, 0x20000 / 8       | DMA address of slot 0

start:
    move.b  0x1F0,RESULTS
    BOOT_SUB
    RELEASE_SUB
    move.w  #0x600D,RESULTS+2
1:  bra.s   1b

    SUB_VECTORS level4=sub_level4, level5=sub_level5
sub_start:
    move.b  #0x30,SUB_MASK                  | levels 4 and 5 on
    move.w  #0x2000,%sr
    lea     TOC_RESULTS,%a1

    | First and last track.
    move.w  #0x0004,%d0
    moveq   #0,%d1
    bsr     cdd_report
    move.w  CDD_STATUS,(%a1)+
    move.w  CDD_STATUS+2,(%a1)+
    move.w  CDD_STATUS+4,(%a1)+
    | The lead-out.
    move.w  #0x0003,%d0
    bsr     cdd_report
    move.w  CDD_STATUS,(%a1)+
    move.w  CDD_STATUS+2,(%a1)+
    move.w  CDD_STATUS+4,(%a1)+
    move.w  CDD_STATUS+6,(%a1)+
    | The start of track 1 (nibbles 4 and 5 hold the track).
    move.w  #0x0005,%d0
    move.w  #0x0001,%d1
    bsr     cdd_report
    move.w  CDD_STATUS,(%a1)+
    move.w  CDD_STATUS+2,(%a1)+
    move.w  CDD_STATUS+4,(%a1)+
    move.w  CDD_STATUS+6,(%a1)+
    move.w  CDD_STATUS+8,(%a1)+
    move.w  #1,SUB_STATUS

    | The data controller: reset, then the interface and the decoder.
    move.b  #15,CDC_ADDR
    move.b  #0,CDC_DATA                     | RESET; the pointer is now 1
    move.b  #0x22,CDC_DATA                  | IFCTRL: DECIEN, DOUTEN
    move.b  #10,CDC_ADDR
    move.b  #0x84,CDC_DATA                  | CTRL0: DECEN, WRRQ

    | Play from 00:02:00: command 3, minute 00, second 02, frame 00.
    move.w  SUB_STATUS+4,%d2
    move.w  #0x0300,CDD_COMMAND
    move.w  #0x0000,CDD_COMMAND+2
    move.w  #0x0002,CDD_COMMAND+4
    move.w  #0x0000,CDD_COMMAND+6
    move.w  #0x0000,CDD_COMMAND+8
1:  cmp.w   SUB_STATUS+4,%d2
    beq.s   1b
    move.w  CDD_STATUS,SUB_STATUS+8
    move.w  #2,SUB_STATUS
2:  bra.s   2b

    | Report command: d0 = the word of nibbles 2-3, d1 = nibbles 4-5; waits
    | for the drive's interrupt.
cdd_report:
    move.w  SUB_STATUS+4,%d2
    move.w  #0x0200,CDD_COMMAND
    move.w  %d0,CDD_COMMAND+2
    move.w  %d1,CDD_COMMAND+4
    move.w  #0x0000,CDD_COMMAND+6
    move.w  #0x0000,CDD_COMMAND+8
1:  cmp.w   SUB_STATUS+4,%d2
    beq.s   1b
    rts

sub_level4:
    addq.w  #1,SUB_STATUS+4
    rte

    | BCD byte in d0 to binary in d0 (d3 used).
bcd_to_binary:
    andi.w  #0xFF,%d0
    move.w  %d0,%d3
    lsr.w   #4,%d3
    mulu    #10,%d3
    andi.w  #0x0F,%d0
    add.w   %d3,%d0
    rts

sub_level5:
    movem.l %d0-%d4,-(%sp)
    move.b  #1,CDC_ADDR
    move.b  CDC_DATA,%d0                    | IFSTAT: DECI is active low
    btst    #5,%d0
    bne     9f
    move.b  #15,CDC_ADDR
    move.b  CDC_DATA,%d0                    | STAT3 acknowledges the decoder

    | The header time: minute, second, frame in BCD.
    move.b  #4,CDC_ADDR
    move.b  CDC_DATA,%d0
    bsr     bcd_to_binary
    mulu    #60,%d0
    move.w  %d0,%d1
    move.b  CDC_DATA,%d0
    bsr     bcd_to_binary
    add.w   %d0,%d1
    mulu    #75,%d1
    move.b  CDC_DATA,%d0
    bsr     bcd_to_binary
    add.w   %d0,%d1
    sub.w   #150,%d1                        | block to image sector
    move.w  %d1,SUB_STATUS+6

    | PT: where the sector was stored; its data follow the 4 header bytes.
    move.b  #8,CDC_ADDR
    moveq   #0,%d4
    move.b  CDC_DATA,%d4
    moveq   #0,%d2
    move.b  CDC_DATA,%d2
    lsl.w   #8,%d2
    or.w    %d4,%d2
    addq.w  #4,%d2

    move.b  #2,CDC_ADDR
    move.b  #0xFF,CDC_DATA                  | DBC: 2048 bytes
    move.b  #0x07,CDC_DATA
    move.b  %d2,CDC_DATA                    | DAC
    lsr.w   #8,%d2
    move.b  %d2,CDC_DATA
    move.b  #5,CDC_MODE                     | destination: program RAM
    andi.w  #15,%d1
    lsl.w   #8,%d1                          | 0x800 bytes a slot, in units of 8
    add.w   #SECTOR_SLOTS,%d1
    move.w  %d1,CDC_DMA
    move.b  #6,CDC_ADDR
    move.b  #0,CDC_DATA                     | DTTRG
1:  btst    #7,CDC_MODE                     | EDT
    beq.s   1b
    move.b  #0,CDC_DATA                     | DTACK (register 7)
    addq.w  #1,SUB_STATUS+2
9:  movem.l (%sp)+,%d0-%d4
    rte
    .balign 2
sub_end:
