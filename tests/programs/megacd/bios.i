| The frame of the synthetic Mega-CD "BIOS" programs: a main-CPU image that
| starts with the 68000 vector table, holds the sub CPU in reset, copies the
| sub program (between the labels `sub_image` and `sub_end`) into program
| RAM through the 0x020000 window, and releases it.
|
| The sub program is assembled inside the BIOS but runs at program-RAM
| address 0, so it branches only PC-relative and names its own addresses as
| `label - sub_image`. It records what it sees in the comm status
| words; the main side records in work RAM from RESULTS on.
|
| Use:  BIOS                        vector table and handlers (at 0)
|       BOOT_SUB                    the boot sequence (at `start`)
|       SUB_VECTORS level1-level5   the sub program's vector table (at `sub_image`)

    .equ    RESULTS, 0xFF0000
    .equ    UNEXPECTED, 0xFFFFF0
    .equ    UNEXPECTED_MARK, 0xDEADDEAD
    .equ    SUPERVISOR_STACK, 0xFFFE00

    | Main side of the gate array.
    .equ    GA_REQUEST, 0xA12000           | bit 0: level 2 to the sub CPU
    .equ    GA_RESET, 0xA12001             | bit 0 run, bit 1 bus request
    .equ    GA_MODE, 0xA12003              | RET, DMNA, MODE; bits 6-7 program-RAM bank
    .equ    GA_STOPWATCH, 0xA1200C
    .equ    GA_MAIN_FLAG, 0xA1200E
    .equ    GA_SUB_FLAG, 0xA1200F
    .equ    GA_COMMAND, 0xA12010
    .equ    GA_STATUS, 0xA12020
    .equ    PRG_WINDOW, 0x020000
    .equ    WORD_RAM, 0x200000

    | Sub side.
    .equ    SUB_STACK, 0x07FF00
    .equ    SUB_MODE, 0xFF8003
    .equ    SUB_MAIN_FLAG, 0xFF800E
    .equ    SUB_SUB_FLAG, 0xFF800F
    .equ    SUB_COMMAND, 0xFF8010
    .equ    SUB_STATUS, 0xFF8020
    .equ    SUB_TIMER, 0xFF8031
    .equ    SUB_MASK, 0xFF8033
    .equ    SUB_WORD_RAM, 0x080000
    .equ    SUB_BANK, 0x0C0000

    | Sub side: the CD data controller and the CD drive.
    .equ    CDC_MODE, 0xFF8004             | bits 0-2 destination, 6 DSR, 7 EDT
    .equ    CDC_ADDR, 0xFF8005             | register pointer
    .equ    CDC_DATA, 0xFF8007             | register data; the pointer moves on
    .equ    CDC_HOST, 0xFF8008
    .equ    CDC_DMA, 0xFF800A              | DMA address, in units of 8 bytes
    .equ    CDD_CONTROL, 0xFF8036
    .equ    CDD_STATUS, 0xFF8038           | five words, one nibble per byte
    .equ    CDD_COMMAND, 0xFF8042          | five words; the one at 0xFF804A executes


    .macro  BIOS
    .text
    .org    0
    dc.l    SUPERVISOR_STACK                | 0 initial SSP
    dc.l    start                           | 1 initial PC
    .rept   22
    dc.l    unexpected                      | 2-23
    .endr
    .rept   8
    dc.l    ignore_interrupt                | 24-31: spurious and levels 1-7
    .endr
    .rept   32
    dc.l    unexpected                      | 32-63
    .endr

    .org    0x100
    .ascii  "SEGA MEGA DRIVE "
    .ascii  "(C)VIMO 2024.JAN"
    .org    0x200
ignore_interrupt:
    rte
unexpected:
    move.l  #UNEXPECTED_MARK,UNEXPECTED
    bra.s   unexpected
    .endm

    | Holds the sub CPU in reset with its bus requested, copies the sub
    | program to program RAM bank 0 word by word, and releases the sub CPU.
    .macro  BOOT_SUB
    move.b  #0x02,GA_RESET
    move.b  #0x00,GA_MODE                   | bank 0
    lea     sub_image,%a0
    lea     PRG_WINDOW,%a1
    move.w  #((sub_end - sub_image) / 2 - 1),%d0
1:  move.w  (%a0)+,(%a1)+
    dbra    %d0,1b
    .endm

    .macro  RELEASE_SUB
    move.b  #0x01,GA_RESET
    .endm

    | The sub program's vector table: reset stack and PC, then every
    | exception to `sub_unexpected` except the autovectors of levels 1-5.
    .macro  SUB_VECTORS level2=sub_ignore, level3=sub_ignore, level1=sub_unexpected, level4=sub_unexpected, level5=sub_unexpected
    .balign 2
sub_image:
    dc.l    SUB_STACK
    dc.l    sub_start - sub_image
    .rept   23
    dc.l    sub_unexpected - sub_image      | 2-24
    .endr
    dc.l    \level1 - sub_image             | 25 level 1
    dc.l    \level2 - sub_image             | 26 level 2
    dc.l    \level3 - sub_image             | 27 level 3
    dc.l    \level4 - sub_image             | 28 level 4
    dc.l    \level5 - sub_image             | 29 level 5
    .rept   34
    dc.l    sub_unexpected - sub_image      | 30-63
    .endr
sub_ignore:
    rte
sub_unexpected:
    move.w  #0xDEAD,SUB_STATUS+14
    bra.s   sub_unexpected
    .endm
