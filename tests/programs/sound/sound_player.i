| The frame of the sound test programs: a cartridge (machine/cart.i) whose V
| interrupt counts frames, and a player that runs a score in the way a sound
| driver does: each entry waits for its frame and then writes one byte to the
| PSG or one register of the YM2612.
|
| A score is a list of entries of three words: frame, command, value.
|   command 0x01xx   PSG byte `value` (the port at 0xC00011)
|   command 0x02rr   YM2612 part 0 register rr := value
|   command 0x03rr   YM2612 part 1 register rr := value
|   command 0x0000   end of the score
| Entries run in order; an entry of frame f runs as soon as f V interrupts
| have been counted, so frame-0 entries run at once and an entry of frame
| f > 0 runs in the V blank that ends frame f - 1.
|
| Use:  .include "sound_player.i"
|       SOUND_CART                 (or SOUND_CART hint_handler, vint_handler;
|                                   a V handler of its own ends by jumping to
|                                   count_frame)
|       score: ... entries ...     then END_SCORE
| The program's own code may come after the player (label `player_end`,
| reached when the score has ended, loops by default).
|
| Results: +0 frames counted (word), +2 PLAYED_MARK once the score has ended.

    .include "machine/cart.i"

    .equ    FRAMES, RESULTS
    .equ    PLAYED, RESULTS + 2
    .equ    PLAYED_MARK, 0x600D

    .equ    PSG_PORT, 0xC00011
    .equ    YM_ADDRESS0, 0xA04000
    .equ    YM_DATA0, 0xA04001
    .equ    YM_ADDRESS1, 0xA04002
    .equ    YM_DATA1, 0xA04003
    .equ    YM_STATUS, 0xA04000

    | ---- Score entries -------------------------------------------------------

    .macro  PSG frame, byte
    dc.w    \frame, 0x0100, \byte
    .endm

    .macro  FM0 frame, reg, value
    dc.w    \frame, 0x0200 + (\reg), \value
    .endm

    .macro  FM1 frame, reg, value
    dc.w    \frame, 0x0300 + (\reg), \value
    .endm

    | A register of channel ch (0-5): channels 0-2 in part 0, 3-5 in part 1.
    .macro  FM frame, ch, reg, value
    .if     \ch < 3
    FM0     \frame, (\reg) + (\ch), \value
    .else
    FM1     \frame, (\reg) + (\ch) - 3, \value
    .endif
    .endm

    | PSG tone channel ch (0-2): period register n (10 bits).
    .macro  PSG_TONE frame, ch, n
    PSG     \frame, 0x80 + ((\ch) << 5) + ((\n) & 15)
    PSG     \frame, ((\n) >> 4) & 63
    .endm

    | PSG attenuation of channel ch (0-3, 3 = noise): 2 dB a step, 15 off.
    .macro  PSG_ATTENUATION frame, ch, att
    PSG     \frame, 0x90 + ((\ch) << 5) + (\att)
    .endm

    .macro  PSG_NOISE frame, control
    PSG     \frame, 0xE0 + (\control)
    .endm

    | F-number and block of channel ch: the latch (0xA4) first, then 0xA0.
    .macro  FM_PITCH frame, ch, fnumber, block
    FM      \frame, \ch, 0xA4, ((\block) << 3) + ((\fnumber) >> 8)
    FM      \frame, \ch, 0xA0, (\fnumber) & 0xFF
    .endm

    | Operator op (1-4) of channel ch: register group 0x30-0x90. Operators sit
    | at offsets 0 (op1), 8 (op2), 4 (op3) and 12 (op4).
    .macro  FM_OP frame, ch, op, group, value
    .if     \op == 1
    FM      \frame, \ch, \group, \value
    .elseif \op == 2
    FM      \frame, \ch, (\group) + 8, \value
    .elseif \op == 3
    FM      \frame, \ch, (\group) + 4, \value
    .else
    FM      \frame, \ch, (\group) + 12, \value
    .endif
    .endm

    | One operator: MUL, TL, full-speed attack, no decay, fastest release.
    .macro  FM_OPERATOR frame, ch, op, mul, tl
    FM_OP   \frame, \ch, \op, 0x30, \mul
    FM_OP   \frame, \ch, \op, 0x40, \tl
    FM_OP   \frame, \ch, \op, 0x50, 0x1F
    FM_OP   \frame, \ch, \op, 0x60, 0x00
    FM_OP   \frame, \ch, \op, 0x70, 0x00
    FM_OP   \frame, \ch, \op, 0x80, 0x0F
    FM_OP   \frame, \ch, \op, 0x90, 0x00
    .endm

    | A sine: algorithm 7, op4 alone at full level (MUL 1), op1-op3 silent,
    | on both sides.
    .macro  FM_SINE_VOICE frame, ch
    FM_OPERATOR \frame, \ch, 1, 1, 0x7F
    FM_OPERATOR \frame, \ch, 2, 1, 0x7F
    FM_OPERATOR \frame, \ch, 3, 1, 0x7F
    FM_OPERATOR \frame, \ch, 4, 1, 0x00
    FM      \frame, \ch, 0xB0, 0x07
    FM      \frame, \ch, 0xB4, 0xC0
    .endm

    | Register 0x28: the operators of channel ch in mask (bit 0 op1 ... bit 3
    | op4) on, the others off.
    .macro  FM_KEY frame, ch, mask
    .if     \ch < 3
    FM0     \frame, 0x28, ((\mask) << 4) + (\ch)
    .else
    FM0     \frame, 0x28, ((\mask) << 4) + (\ch) + 1
    .endif
    .endm

    .macro  END_SCORE
    dc.w    0, 0, 0
    .endm

    | ---- The cartridge and the player -----------------------------------------

    .macro  SOUND_CART hint=ignore_interrupt, vint=count_frame
    CART    \hint, \vint

count_frame:
    addq.w  #1,FRAMES
    rte

start:
    move.w  #0x0100,Z80_BUSREQ              | the 68000 takes the Z80's bus
    VDP_REG 1, 0x24                         | V interrupt on, display off
    lea     score,%a0
    move.w  #0x2000,%sr                     | interrupts on
play:
    move.w  (%a0),%d0                       | the entry's frame
wait:
    cmp.w   FRAMES,%d0
    bhi.s   wait
    move.w  2(%a0),%d1                      | command
    move.w  4(%a0),%d2                      | value
    addq.l  #6,%a0
    move.w  %d1,%d3
    lsr.w   #8,%d3
    beq.s   played
    cmp.w   #1,%d3
    beq.s   to_psg
    cmp.w   #2,%d3
    beq.s   to_part0
to_part1:
    bsr.s   ym_ready
    move.b  %d1,YM_ADDRESS1
    bsr.s   ym_ready
    move.b  %d2,YM_DATA1
    bra.s   play
to_part0:
    bsr.s   ym_ready
    move.b  %d1,YM_ADDRESS0
    bsr.s   ym_ready
    move.b  %d2,YM_DATA0
    bra.s   play
to_psg:
    move.b  %d2,PSG_PORT
    bra.s   play

| Waits while the YM2612 reports itself busy (status bit 7).
ym_ready:
    btst    #7,YM_STATUS
    bne.s   ym_ready
    rts

played:
    move.w  #PLAYED_MARK,PLAYED
    bra     player_end
    .endm
