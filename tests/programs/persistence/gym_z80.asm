; The music log's Z80 writes: once the test sets `handshake`, the program
; writes group g (1-3) in the V blank of the g-th frame after it, right after
; that frame's interrupt (mode 1, counted in `frames`):
;   1  PSG 0x9F; part 0 register 0x28 = 0xF0
;   2  part 1 0xB4 = 0xC0; part 0 DAC 0x2B = 0x80, 0x2A = 0x10, 0x2A = 0x20;
;      part 1 0x2A = 0x30
;   3  PSG 0xBF; part 0 0x22 = 0x08
; Results: +0 0x5A once interrupts are on.

        org 0
        di
        im 1
        ld sp, stack_top
        jr init
        ds 0x38 - $
        push hl
        ld hl, frames
        inc (hl)
        pop hl
        ei
        reti

init:   ei
        ld a, 0x5A
        ld (results), a
        ld hl, handshake
idle:   ld a, (hl)
        or a
        jr z, idle
        ld hl, frames
        ld d, (hl)
        ld ix, groups
group:  inc d
wait:   ld a, (hl)
        cp d
        jr nz, wait
write:  ld a, (ix + 0)          ; 0 next group, 1 PSG, 2/3 YM2612 part 0/1, 0xFF end
        inc ix
        or a
        jr z, group
        inc a
        jr z, end
        cp 2
        jr z, to_psg
        sub 3                   ; the part's port pair: 0x4000 or 0x4002
        add a, a
        ld c, a
        ld b, 0x40
        ld a, (ix + 0)
        ld (bc), a
        inc bc
        ld a, (ix + 1)
        ld (bc), a
        inc ix
        inc ix
        jr write
to_psg: ld a, (ix + 0)
        ld (psg), a
        inc ix
        jr write

groups: db 1, 0x9F, 2, 0x28, 0xF0, 0
        db 3, 0xB4, 0xC0, 2, 0x2B, 0x80, 2, 0x2A, 0x10, 2, 0x2A, 0x20, 3, 0x2A, 0x30, 0
        db 1, 0xBF, 2, 0x22, 0x08, 0xFF
end:    jr end
frames: db 0

        include "machine/z80side.inc"
