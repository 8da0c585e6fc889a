| The YM2612 from the 68000 through the Z80 area: a sine carrier (algorithm 7,
| op4 alone, MUL 1) at known F-numbers and blocks on channels of both parts,
| the pan of channel 1 left, right and centre, and total-level steps. Each
| segment of SEGMENT frames starts at frame 1 + SEGMENT x s.
|
|   s  sound
|   0  channel 0, F-number 1083, block 4
|   1  channel 0, F-number 1083, block 3
|   2  channel 0, F-number 1083, block 5
|   3  channel 0, F-number 617, block 4
|   4  channel 4 (part 1), F-number 800, block 4
|   5  channel 1, F-number 1083, block 4, left only
|   6  channel 1, right only
|   7  channel 1, both sides
|   8  channel 1, op4 total level 4
|   9  total level 8
|  10  total level 16
|  11  total level 32
|  12  silence

    .include "sound_player.i"
    SOUND_CART

    .equ    SEGMENT, 12
    .equ    S0, 1

player_end:
    bra.s   player_end

score:
    FM_SINE_VOICE   0, 0
    FM_SINE_VOICE   0, 1
    FM_SINE_VOICE   0, 4

    FM_PITCH        S0, 0, 1083, 4
    FM_KEY          S0, 0, 0xF

    FM_PITCH        S0 + 1 * SEGMENT, 0, 1083, 3
    FM_PITCH        S0 + 2 * SEGMENT, 0, 1083, 5
    FM_PITCH        S0 + 3 * SEGMENT, 0, 617, 4

    FM_KEY          S0 + 4 * SEGMENT, 0, 0
    FM_PITCH        S0 + 4 * SEGMENT, 4, 800, 4
    FM_KEY          S0 + 4 * SEGMENT, 4, 0xF

    FM_KEY          S0 + 5 * SEGMENT, 4, 0
    FM              S0 + 5 * SEGMENT, 1, 0xB4, 0x80
    FM_PITCH        S0 + 5 * SEGMENT, 1, 1083, 4
    FM_KEY          S0 + 5 * SEGMENT, 1, 0xF

    FM              S0 + 6 * SEGMENT, 1, 0xB4, 0x40
    FM              S0 + 7 * SEGMENT, 1, 0xB4, 0xC0

    FM_OP           S0 + 8 * SEGMENT, 1, 4, 0x40, 4
    FM_OP           S0 + 9 * SEGMENT, 1, 4, 0x40, 8
    FM_OP           S0 + 10 * SEGMENT, 1, 4, 0x40, 16
    FM_OP           S0 + 11 * SEGMENT, 1, 4, 0x40, 32

    FM_KEY          S0 + 12 * SEGMENT, 1, 0
    END_SCORE
