; Small programs that run on both Z80 cores to show where the two differ on
; purpose. Each program is reached through the jump table at 0x0000 (entry n
; at 3 x n; the test starts there with SP = 0xF000) and ends with HALT.
; Undocumented opcodes that the assembler does not know are written as
; bytes, with the instruction in the comment.

        org 0x0000
        jp ed_no_op             ; 0
        jp prefix_before_plain  ; 1
        jp sll_indexed          ; 2
        jp index_halves         ; 3
        jp bits_3_and_5         ; 4
        jp block_input_flags    ; 5
        jp port_addresses       ; 6
        jp reti_flip_flops      ; 7
        jp r_register           ; 8
        jp ldir_over_itself     ; 9
        jp daa_after_subtract   ; 10
        jp sll_flags            ; 11
        jp bit_parity           ; 12
        jp ed_im_mirror         ; 13
        jp wait_loop            ; 14
        jp halt_only            ; 15
        jp call_and_return      ; 16

; ED 00: no instruction.
ed_no_op:
        db 0xED, 0x00
        ld a, 1
        halt

; DD before INC A, which has no indexed form.
prefix_before_plain:
        db 0xDD
        inc a
        halt

; SLL (IX+0).
sll_indexed:
        ld ix, data
        db 0xDD, 0xCB, 0x00, 0x36
        halt

; LD IXH,0x12 then LD A,IXH, run one at a time for their costs.
index_halves:
        db 0xDD, 0x26, 0x12
        db 0xDD, 0x7C
        halt

; F after ADD A,0 with A = 0x28, seen through the stack in C.
bits_3_and_5:
        ld a, 0x28
        add a, 0
        push af
        pop bc
        halt

; INI from port 0x10 with B = 2 (the test's port answers 0xF0); F to E.
block_input_flags:
        ld hl, data
        ld bc, 0x0210
        xor a
        ini
        push af
        pop de
        halt

; OUT (C),A with BC = 0x1234 and OUT (0x78),A with A = 0x56.
port_addresses:
        ld bc, 0x1234
        ld a, 0x56
        out (c), a
        out (0x78), a
        halt

; RETI with IFF1 clear and IFF2 set (the test sets them).
reti_flip_flops:
        ld hl, reti_done
        push hl
        reti
reti_done:
        halt

; LD A,R after eight NOPs.
r_register:
        nop
        nop
        nop
        nop
        nop
        nop
        nop
        nop
        ld a, r
        halt

; LDIR copying INC A, INC A, HALT over its own bytes.
ldir_over_itself:
        ld hl, ldir_source
        ld de, ldir_target
        ld bc, 3
ldir_target:
        ldir
        halt
ldir_source:
        inc a
        inc a
        halt

; DAA after 0x42 - 0x15 (a borrow from the low digit); F to C.
daa_after_subtract:
        ld a, 0x42
        sub 0x15
        daa
        push af
        pop bc
        halt

; SLL B with B = 0x80; F to E.
sll_flags:
        ld b, 0x80
        db 0xCB, 0x30
        push af
        pop de
        halt

; BIT 1,H with H = 0x01 (the bit is 0); F to E.
bit_parity:
        ld h, 0x01
        bit 1, h
        push af
        pop de
        halt

; ED 4E: an undocumented mirror of the IM instructions.
ed_im_mirror:
        db 0xED, 0x4E
        halt

; JR to itself.
wait_loop:
        jr wait_loop

halt_only:
        halt

; CALL with the stack where the test puts it.
call_and_return:
        call subroutine
        halt
subroutine:
        ret

data:   db 0x40, 0, 0, 0
