; Counts for as long as it runs, one step every 32 cycles: the count (a
; word) is stored at results + 0 on every step. results + 2 counts the
; program's starts; the RAM keeps it across Z80 resets. Interrupts stay off.

        org 0
        di
        ld sp, stack_top
        ld hl, results + 2
        inc (hl)
        ld hl, 0
count_loop:
        inc hl                  ; 6 cycles
        ld (results + 0), hl    ; 16
        jp count_loop           ; 10

        include "z80side.inc"
