| A stamp operation started by the sub program with the graphics interrupt
| (level 1) enabled. The main side puts the data in word RAM first: stamp 1
| (16x16) all of colour 5, a 256-dot map whose entry 0 names stamp 1, and
| one trace entry (from 0,0, one pixel right per dot). The sub program
| draws 8 dots of one line into the image buffer at 0x3000.
|
| Sub status words: +0 level-1 interrupts taken, +2 the stopwatch right
| after the operation, +4 the stopwatch in the handler (it counts down 2 per
| line), +6 the V dots register read after the operation.

    .include "bios.i"
    BIOS

    .equ    STAMP, 0x80                     | stamp 1: 128 bytes a stamp
    .equ    MAP, 0x1000
    .equ    TRACE, 0x2000
    .equ    IMAGE, 0x3000

start:
    lea     WORD_RAM+STAMP,%a0
    moveq   #31,%d1
1:  move.l  #0x55555555,(%a0)+
    dbra    %d1,1b
    move.w  #0x0001,WORD_RAM+MAP
    move.l  #0x00000000,WORD_RAM+TRACE      | X, Y start
    move.l  #0x08000000,WORD_RAM+TRACE+4    | delta X one pixel, delta Y 0
    BOOT_SUB
    RELEASE_SUB
1:  bra.s   1b

    SUB_VECTORS level1=sub_level1
sub_start:
    move.w  #0x7FFF,0xFF800C                | the stopwatch counts down from here
    move.b  #0x02,SUB_MASK                  | level 1 on
    move.w  #0x2000,%sr
    move.w  #0x0000,0xFF8058                | 16x16 stamps, 256-dot map, no repeat
    move.w  #MAP/4,0xFF805A
    move.w  #0x0000,0xFF805C                | one cell high
    move.w  #IMAGE/4,0xFF805E
    move.w  #0x0000,0xFF8060
    move.w  #8,0xFF8062                     | 8 dots
    move.w  #1,0xFF8064                     | 1 line
    move.w  #TRACE/4,0xFF8066               | go
    move.w  0xFF800C,SUB_STATUS+2
    move.w  0xFF8064,SUB_STATUS+6
1:  bra.s   1b
sub_level1:
    addq.w  #1,SUB_STATUS
    move.w  0xFF800C,SUB_STATUS+4
    rte
    .balign 2
sub_end:
