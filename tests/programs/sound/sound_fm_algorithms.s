| The YM2612's algorithms, operator by operator: channel 0 has four operators
| at full level with MUL 1, 2, 3 and 5 (op1-op4) and F-number 1083, block 3.
| For algorithm a and operator k (1-4), segment s = 4a + k - 1 keys on
| operator k alone: a carrier is heard at its own frequency, a modulator with
| no carrier keyed is silent. Segments 32 and 33 key op3 and op4 together in
| algorithm 0 (op3 modulates op4) and in algorithm 7 (both are carriers),
| with op3 at total level 32 (24 dB down).
| Segment s starts at frame 1 + SEGMENT x s; the key goes off again in the V
| blank of its frame SEGMENT - 3, so that each segment ends in silence.

    .include "sound_player.i"
    SOUND_CART

    .equ    SEGMENT, 6
    .equ    S0, 1

player_end:
    bra.s   player_end

    .macro  KEY_SEGMENT s, algorithm, mask
    FM0     S0 + (\s) * SEGMENT, 0xB0, \algorithm
    FM_KEY  S0 + (\s) * SEGMENT, 0, \mask
    FM_KEY  S0 + (\s) * SEGMENT + SEGMENT - 2, 0, 0
    .endm

    .macro  ALGORITHM a
    KEY_SEGMENT 4 * (\a) + 0, \a, 1
    KEY_SEGMENT 4 * (\a) + 1, \a, 2
    KEY_SEGMENT 4 * (\a) + 2, \a, 4
    KEY_SEGMENT 4 * (\a) + 3, \a, 8
    .endm

score:
    FM_OPERATOR     0, 0, 1, 1, 0x00
    FM_OPERATOR     0, 0, 2, 2, 0x00
    FM_OPERATOR     0, 0, 3, 3, 0x00
    FM_OPERATOR     0, 0, 4, 5, 0x00
    FM              0, 0, 0xB4, 0xC0
    FM_PITCH        0, 0, 1083, 3

    ALGORITHM       0
    ALGORITHM       1
    ALGORITHM       2
    ALGORITHM       3
    ALGORITHM       4
    ALGORITHM       5
    ALGORITHM       6
    ALGORITHM       7

    FM_OP           S0 + 32 * SEGMENT, 0, 3, 0x40, 32
    KEY_SEGMENT     32, 0, 0xC
    KEY_SEGMENT     33, 7, 0xC
    END_SCORE
