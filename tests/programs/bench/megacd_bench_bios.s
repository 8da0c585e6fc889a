| A busy Mega-CD for the speed measurement: the BIOS boots a sub program,
| turns the display and V interrupts on, starts the Z80 and a PSG tone, and
| loops on game-like work that talks to the sub CPU through the comm words.
| The sub CPU plays a PCM channel, takes a timer interrupt every few lines
| and loops on arithmetic, comm words and word RAM.

    .include "megacd/bios.i"
    BIOS

start:
    BOOT_SUB
    RELEASE_SUB
    move.w  #0x8174,0xC00004                | display, V interrupts, DMA on
    move.w  #0x8C81,0xC00004                | 40 cells
    move.l  #0xC0000000,0xC00004            | CRAM 0
    move.w  #0x0E0E,0xC00000
    move.w  #0x0100,0xA11100                | Z80: take its bus, release its reset
    move.w  #0x0100,0xA11200
    move.w  #0x0000,0xA11100                | and let it run
    move.b  #0x8F,0xC00011                  | PSG tone 0: period 0x10F, loud
    move.b  #0x10,0xC00011
    move.b  #0x90,0xC00011
    move.w  #0x2000,%sr
    lea     0xFF8000,%a2
main_loop:
    addq.w  #1,%d0
    move.w  %d0,GA_COMMAND
    move.w  GA_STATUS,%d1
    add.w   %d1,%d2
    lea     RESULTS+0x100,%a0
    moveq   #15,%d3
1:  move.l  %d2,(%a0)+
    rol.l   #3,%d2
    dbra    %d3,1b
    bra.s   main_loop

    SUB_VECTORS level3=sub_tick
sub_start:
    move.b  #0xC0,0xFF000F                  | PCM on, channel 0
    move.b  #0xFF,0xFF0001                  | ENV
    move.b  #0xFF,0xFF0003                  | PAN
    move.b  #0x00,0xFF0005                  | FD low
    move.b  #0x08,0xFF0007                  | FD high
    move.b  #0x00,0xFF000D                  | ST
    move.b  #0xFE,0xFF0011                  | channel 0 on
    move.b  #20,SUB_TIMER
    move.b  #0x08,SUB_MASK
    move.w  #0x2000,%sr
    lea     SUB_WORD_RAM,%a0
1:  move.w  SUB_COMMAND,%d0
    mulu    #3,%d0
    move.w  %d0,SUB_STATUS
    move.w  %d0,(%a0)+
    cmp.l   #SUB_WORD_RAM+0x1000,%a0
    bne.s   1b
    lea     SUB_WORD_RAM,%a0
    bra.s   1b
sub_tick:
    addq.w  #1,SUB_STATUS+2
    rte
    .balign 2
sub_end:
