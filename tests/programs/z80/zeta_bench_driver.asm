; A sound-driver-like workload for the Z80 benchmark, shaped like the
; drivers that run on the console: a frame interrupt sets a flag; once a
; frame the driver steps six music channels (sequence fetch, frequency table
; lookup, YM2612 register writes with busy polling, key on) and a PSG volume
; envelope; between frames it streams DAC samples read through the bank
; window into YM2612 register 0x2A, with a delay loop between samples.
;
; Memory map as the console's Z80 sees it: RAM 0x0000-0x1FFF, YM2612 at
; 0x4000-0x4003, bank register at 0x6000, PSG at 0x7F11, the bank window at
; 0x8000-0xFFFF.

ym_address:     equ 0x4000
ym_data:        equ 0x4001
bank:           equ 0x6000
psg:            equ 0x7F11
channel_size:   equ 8
channel_count:  equ 6

        org 0x0000
        di
        im 1
        ld sp, 0x2000
        jp init

        ds 0x0038 - $           ; the raw image is not padded by org
frame_interrupt:
        push af
        ld a, 1
        ld (frame_flag), a
        pop af
        ei
        reti

init:
        ; select bank 0x100 (nine writes, lowest bit first)
        ld hl, bank
        ld b, 8
        xor a
bank_zero:
        ld (hl), a
        djnz bank_zero
        ld (hl), 1
        ; six channels: duration 1, sequence pointer, frequency, key bits
        ld ix, channels
        ld de, channel_size
        ld b, channel_count
        ld hl, sequence
init_channel:
        ld (ix+0), 1
        ld (ix+1), l
        ld (ix+2), h
        ld (ix+5), b
        add ix, de
        inc hl
        inc hl
        djnz init_channel
        ld hl, 0x8000
        ld (sample_pointer), hl
        ei

main:
        ld a, (frame_flag)
        or a
        jr z, stream_sample
        xor a
        ld (frame_flag), a
        call step_music
        call step_envelope
        jr main

; One DAC sample from the bank window, then a short delay.
stream_sample:
        call ym_wait
        ld a, 0x2A
        ld (ym_address), a
        ld hl, (sample_pointer)
        ld a, (hl)
        ld (ym_data), a
        inc hl
        set 7, h
        ld (sample_pointer), hl
        ld b, 12
sample_delay:
        djnz sample_delay
        jp main

step_music:
        ld ix, channels
        ld b, channel_count
next_channel:
        push bc
        dec (ix+0)
        jr nz, channel_done
        ; fetch the next note and its duration
        ld l, (ix+1)
        ld h, (ix+2)
        ld a, (hl)
        cp 0xFF
        jr nz, have_note
        ld hl, sequence
        ld a, (hl)
have_note:
        inc hl
        ld c, (hl)
        inc hl
        ld (ix+1), l
        ld (ix+2), h
        ld (ix+0), c
        ; frequency from the table
        add a, a
        ld e, a
        ld d, 0
        ld hl, frequencies
        add hl, de
        ld e, (hl)
        inc hl
        ld d, (hl)
        ld (ix+3), e
        ld (ix+4), d
        ; key off, frequency high and low, key on
        call ym_wait
        ld a, 0x28
        ld (ym_address), a
        ld a, (ix+5)
        and 0x07
        ld (ym_data), a
        call ym_wait
        ld a, 0xA4
        ld (ym_address), a
        ld a, d
        ld (ym_data), a
        call ym_wait
        ld a, 0xA0
        ld (ym_address), a
        ld a, e
        ld (ym_data), a
        call ym_wait
        ld a, 0x28
        ld (ym_address), a
        ld a, (ix+5)
        and 0x07
        or 0xF0
        ld (ym_data), a
channel_done:
        ld de, channel_size
        add ix, de
        pop bc
        djnz next_channel
        ret

step_envelope:
        ld a, (envelope)
        inc a
        and 0x0F
        ld (envelope), a
        or 0x90
        ld (psg), a
        ld hl, envelope_table
        ld a, (envelope)
        ld e, a
        ld d, 0
        add hl, de
        ld a, (hl)
        or 0xB0
        ld (psg), a
        ret

; Waits while the YM2612 reports busy (status bit 7).
ym_wait:
        ld a, (ym_address)
        rla
        jr c, ym_wait
        ret

frequencies:
        dw 0x0269, 0x028E, 0x02B5, 0x02DE, 0x030A, 0x0338
        dw 0x0369, 0x039D, 0x03D4, 0x040E, 0x044C, 0x048D
envelope_table:
        db 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15
sequence:
        db 0, 3, 4, 2, 7, 5, 11, 1, 9, 4, 2, 6, 5, 3, 0, 2
        db 7, 4, 9, 1, 11, 3, 4, 5, 2, 2, 0, 6, 7, 3, 9, 4
        db 0xFF

frame_flag:     db 0
envelope:       db 0
sample_pointer: dw 0
channels:       ds channel_size * channel_count
