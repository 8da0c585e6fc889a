| The PSG through the 68000's PSG port: tones at several period registers and
| attenuations, two tones at once, periodic and white noise. Each segment of
| SEGMENT frames starts at frame 1 + SEGMENT x s and first silences what the
| previous segment played.
|
|   s  sound
|   0  tone 0, N = 254, attenuation 0
|   1  tone 0, N = 127
|   2  tone 0, N = 1017
|   3  tone 1, N = 40
|   4  tone 2, N = 254, attenuation 0
|   5  tone 2, attenuation 2
|   6  tone 2, attenuation 4
|   7  tone 2, attenuation 8
|   8  tone 0 (N = 254, attenuation 0) and tone 1 (N = 169, attenuation 4)
|   9  periodic noise, shift clock / 2048 (control 2)
|  10  white noise, shift clock / 2048 (control 6)
|  11  periodic noise shifted by tone 3 (control 3), N = 100, tone 3 itself off
|  12  silence

    .include "sound_player.i"
    SOUND_CART

    .equ    SEGMENT, 16
    .equ    S0, 1

player_end:
    bra.s   player_end

score:
    PSG_TONE        S0, 0, 254
    PSG_ATTENUATION S0, 0, 0

    PSG_TONE        S0 + 1 * SEGMENT, 0, 127

    PSG_TONE        S0 + 2 * SEGMENT, 0, 1017

    PSG_ATTENUATION S0 + 3 * SEGMENT, 0, 15
    PSG_TONE        S0 + 3 * SEGMENT, 1, 40
    PSG_ATTENUATION S0 + 3 * SEGMENT, 1, 0

    PSG_ATTENUATION S0 + 4 * SEGMENT, 1, 15
    PSG_TONE        S0 + 4 * SEGMENT, 2, 254
    PSG_ATTENUATION S0 + 4 * SEGMENT, 2, 0

    PSG_ATTENUATION S0 + 5 * SEGMENT, 2, 2
    PSG_ATTENUATION S0 + 6 * SEGMENT, 2, 4
    PSG_ATTENUATION S0 + 7 * SEGMENT, 2, 8

    PSG_ATTENUATION S0 + 8 * SEGMENT, 2, 15
    PSG_TONE        S0 + 8 * SEGMENT, 0, 254
    PSG_ATTENUATION S0 + 8 * SEGMENT, 0, 0
    PSG_TONE        S0 + 8 * SEGMENT, 1, 169
    PSG_ATTENUATION S0 + 8 * SEGMENT, 1, 4

    PSG_ATTENUATION S0 + 9 * SEGMENT, 0, 15
    PSG_ATTENUATION S0 + 9 * SEGMENT, 1, 15
    PSG_NOISE       S0 + 9 * SEGMENT, 2
    PSG_ATTENUATION S0 + 9 * SEGMENT, 3, 0

    PSG_NOISE       S0 + 10 * SEGMENT, 6

    PSG_TONE        S0 + 11 * SEGMENT, 2, 100
    PSG_NOISE       S0 + 11 * SEGMENT, 3

    PSG_ATTENUATION S0 + 12 * SEGMENT, 3, 15
    END_SCORE
