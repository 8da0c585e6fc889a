| Word RAM shared in 2M mode, then split into banks in 1M mode.
|
| The main CPU leaves 0x2222 at word RAM 0x10 and hands word RAM over (DMNA);
| the sub CPU reads it, switches to 1M, writes a word into the dot image and
| reads it back through its bank. The main CPU then copies a routine into its
| own bank at 0x200000 and jumps to it: instruction fetch must see the bank
| its data writes went to.
|
| Main results: +0 0xC0DE written by the routine, +2 and +4 the routine's first
| word read at 0x200000 and 0x220000, +6 word RAM 0x10 in 1M mode, +8 the done
| mark 0x600D, +16 the mode register after DMNA (byte).
| Sub status words: +0 word RAM 0x10 in 2M mode, +2 its mode register (byte
| in the low half), +4 its bank's first word after the dot write, +6 a read
| of the dot image.

    .include "bios.i"
    BIOS

start:
    BOOT_SUB
    move.w  #0x2222,WORD_RAM+0x10
    move.b  #0x02,GA_MODE                   | DMNA: word RAM to the sub CPU
    move.b  GA_MODE,RESULTS+16
    RELEASE_SUB
1:  btst    #2,GA_MODE                      | wait for 1M mode
    beq.s   1b
2:  cmp.w   #0x2400,GA_STATUS+4             | and for the sub CPU's last read
    bne.s   2b
    lea     routine,%a0
    lea     WORD_RAM,%a1
    move.w  #((routine_end - routine) / 2 - 1),%d0
3:  move.w  (%a0)+,(%a1)+
    dbra    %d0,3b
    jmp     WORD_RAM
back:
    move.w  WORD_RAM,RESULTS+2
    move.w  WORD_RAM+0x20000,RESULTS+4
    move.w  WORD_RAM+0x10,RESULTS+6
    move.w  #0x600D,RESULTS+8
4:  addq.l  #1,RESULTS+12
    bra.s   4b

routine:
    move.w  #0xC0DE,RESULTS
    move.l  #back,%a0                       | absolute: the assembler would make "jmp back" PC-relative
    jmp     (%a0)
    .balign 2
routine_end:

    SUB_VECTORS
sub_start:
    move.w  SUB_WORD_RAM+0x10,SUB_STATUS
    moveq   #0,%d0
    move.b  SUB_MODE,%d0
    move.w  %d0,SUB_STATUS+2
    move.b  #0x04,SUB_MODE                  | MODE: 1M
    move.w  #0x1234,SUB_WORD_RAM            | dots 2 and 4
    move.w  SUB_WORD_RAM,SUB_STATUS+6       | the dot image reads 0
    move.w  SUB_BANK,SUB_STATUS+4
1:  bra.s   1b
    .balign 2
sub_end:
