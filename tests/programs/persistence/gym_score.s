| Known YM2612 and PSG writes over a few frames, for the music log: a score
| for the sound player (an entry of frame f > 0 runs in the V blank that ends
| frame f - 1). Every YM2612 write goes through its part's address port and
| then its data port.
|
|   frame 1  PSG 0x9F; part 0 register 0x28 = 0xF0
|   frame 2  part 1 register 0xB4 = 0xC0; part 0 DAC: 0x2B = 0x80, 0x2A = 0x10,
|            0x2A = 0x20; part 1 register 0x2A = 0x30
|   frame 4  PSG 0xBF; part 0 register 0x22 = 0x08

    .include "sound/sound_player.i"
    SOUND_CART

player_end:
    bra.s   player_end

score:
    PSG     1, 0x9F
    FM0     1, 0x28, 0xF0
    FM1     2, 0xB4, 0xC0
    FM0     2, 0x2B, 0x80
    FM0     2, 0x2A, 0x10
    FM0     2, 0x2A, 0x20
    FM1     2, 0x2A, 0x30
    PSG     4, 0xBF
    FM0     4, 0x22, 0x08
    END_SCORE
