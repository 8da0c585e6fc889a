; A tiny Z80 program for the kit's own test: a few instructions with
; well-known encodings, assembled at origin 0.
        org     0
        nop                     ; 00
        ld      a,0x12          ; 3E 12
        ld      hl,0x1234       ; 21 34 12
        jp      0x0100          ; C3 00 01
        halt                    ; 76
