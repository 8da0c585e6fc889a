| A whole scene set up through the ports and by DMA: patterns, colours and
| the name tables of planes A and B and of the window come from ROM by
| 68000-to-VDP DMA, the sprite table by DMA into a staging area and a VRAM
| copy from there, vertical scroll and the horizontal scroll table through
| the data port. Every table is given by a formula of its entry number
| (below), so the test can build the same scene from the documented
| formats.
|
| PARAMS (words): +0 register 11, +2 register 12, +4 register 16,
| +6 register 17, +8 register 18, +10 plane A's table (0: priorities mixed,
| 1: all low), +12 vertical scroll of plane A, +14 of plane B,
| +16/+18 horizontal scroll of plane A on line 0 and its step per line,
| +20/+22 the same for plane B, +24 sprites (0: none).
| RESULTS + 0 (long): 0x5CE7E000 once the scene is set up.

    .include "vdp_cart.i"
    VDP_CART

    .equ    PLANE_A, 0xC000
    .equ    PLANE_B, 0xE000
    .equ    WINDOW, 0xB000
    .equ    SPRITES, 0xAC00
    .equ    SPRITE_STAGING, 0x9000
    .equ    HSCROLL, 0xA800
    .equ    SPRITE_COUNT, 20

    | Register \reg from the parameter word at PARAMS + \offset.
    .macro  REG_FROM_PARAM reg, offset
    move.w  PARAMS + (\offset),%d0
    andi.w  #0xFF,%d0
    ori.w   #(0x8000 + ((\reg) << 8)),%d0
    move.w  %d0,VDP_CTRL
    .endm

start:
    move.w  #0x2700,%sr
    VDP_REG 0, 0x04
    VDP_REG 1, 0x14                         | display off, DMA on
    VDP_REG 2, (PLANE_A >> 10)
    VDP_REG 3, (WINDOW >> 10)
    VDP_REG 4, (PLANE_B >> 13)
    VDP_REG 5, (SPRITES >> 9)
    VDP_REG 7, 0x2B                         | background: palette line 2, colour 11
    VDP_REG 13, (HSCROLL >> 10)
    VDP_REG 15, 2
    REG_FROM_PARAM 11, 0
    REG_FROM_PARAM 12, 2
    REG_FROM_PARAM 16, 4
    REG_FROM_PARAM 17, 6
    REG_FROM_PARAM 18, 8

    DMA_68K CODE_VRAM_WRITE, 0x0000, patterns, 128 * 16
    DMA_68K CODE_CRAM_WRITE, 0, colours, 64
    tst.w   PARAMS + 10
    bne     plane_a_low
    DMA_68K CODE_VRAM_WRITE, PLANE_A, plane_a_mixed, 4096
    bra     plane_a_done
plane_a_low:
    DMA_68K CODE_VRAM_WRITE, PLANE_A, plane_a_low_table, 4096
plane_a_done:
    DMA_68K CODE_VRAM_WRITE, PLANE_B, plane_b_table, 4096
    DMA_68K CODE_VRAM_WRITE, WINDOW, window_table, 2048

    tst.w   PARAMS + 24
    beq     sprites_done
    DMA_68K CODE_VRAM_WRITE, SPRITE_STAGING, sprite_table, SPRITE_COUNT * 4
    | A byte-wise VRAM copy of the staged table into place.
    VDP_REG 15, 1
    VDP_REG 19, ((SPRITE_COUNT * 8) & 0xFF)
    VDP_REG 20, ((SPRITE_COUNT * 8) >> 8)
    VDP_REG 21, (SPRITE_STAGING & 0xFF)
    VDP_REG 22, (SPRITE_STAGING >> 8)
    VDP_REG 23, 0xC0
    VDP_COMMAND CODE_VRAM_COPY, SPRITES      | CD5 and CD4: VRAM copy
    VDP_REG 15, 2
sprites_done:

    VDP_COMMAND CODE_VSRAM_WRITE, 0
    move.w  PARAMS + 12,VDP_DATA
    move.w  PARAMS + 14,VDP_DATA

    VDP_COMMAND CODE_VRAM_WRITE, HSCROLL
    move.w  PARAMS + 16,%d2
    move.w  PARAMS + 18,%d3
    move.w  PARAMS + 20,%d4
    move.w  PARAMS + 22,%d5
    move.w  #224 - 1,%d6
hscroll_line:
    move.w  %d2,VDP_DATA
    move.w  %d4,VDP_DATA
    add.w   %d3,%d2
    add.w   %d5,%d4
    dbra    %d6,hscroll_line

    VDP_REG 1, 0x44                         | display on, DMA off
    move.l  #0x5CE7E000,RESULTS
idle:
    bra.s   idle

    .balign 2
| Pattern t, pixel (x, y): v = t + x + 3y; colour v & 15 for t < 96 (so some
| pixels are transparent), 1 + (v mod 15) from 96 on (never transparent).
| Pattern 0 is empty.
patterns:
    .set    t, 0
    .rept   128
    .set    y, 0
    .rept   8
    .set    x, 0
    .rept   4
    .if     t == 0
    .set    left, 0
    .set    right, 0
    .elseif t < 96
    .set    left, (t + 2 * x + 3 * y) & 15
    .set    right, (t + 2 * x + 1 + 3 * y) & 15
    .else
    .set    v, t + 2 * x + 3 * y
    .set    left, 1 + v - (v / 15) * 15
    .set    v, t + 2 * x + 1 + 3 * y
    .set    right, 1 + v - (v / 15) * 15
    .endif
    dc.b    (left << 4) + right
    .set    x, x + 1
    .endr
    .set    y, y + 1
    .endr
    .set    t, t + 1
    .endr

| Colour i: red (5i + 1) & 7, green (3i + 2) & 7, blue (7i + 5) & 7.
colours:
    .set    i, 0
    .rept   64
    dc.w    ((((5 * i) + 1) & 7) << 1) + ((((3 * i) + 2) & 7) << 5) + ((((7 * i) + 5) & 7) << 9)
    .set    i, i + 1
    .endr

| Name-table entry k of plane A: pattern 1 + (7k mod 95), palette (k >> 1) & 3,
| priority (5k >> 2) & 1, h-flip (k >> 2) & 1, v-flip (k >> 3) & 1.
plane_a_mixed:
    .set    k, 0
    .rept   4096
    .set    v, 7 * k
    dc.w    1 + v - (v / 95) * 95 + (((k >> 1) & 3) << 13) + ((((5 * k) >> 2) & 1) << 15) + (((k >> 2) & 1) << 11) + (((k >> 3) & 1) << 12)
    .set    k, k + 1
    .endr

| The same without the priority bit.
plane_a_low_table:
    .set    k, 0
    .rept   4096
    .set    v, 7 * k
    dc.w    1 + v - (v / 95) * 95 + (((k >> 1) & 3) << 13) + (((k >> 2) & 1) << 11) + (((k >> 3) & 1) << 12)
    .set    k, k + 1
    .endr

| Plane B: pattern 1 + (11k mod 95), palette (k >> 2) & 3, priority
| (3k >> 1) & 1, h-flip (k >> 1) & 1, v-flip (k >> 4) & 1.
plane_b_table:
    .set    k, 0
    .rept   4096
    .set    v, 11 * k
    dc.w    1 + v - (v / 95) * 95 + (((k >> 2) & 3) << 13) + ((((3 * k) >> 1) & 1) << 15) + (((k >> 1) & 1) << 11) + (((k >> 4) & 1) << 12)
    .set    k, k + 1
    .endr

| Window: pattern 96 + (k & 31) (opaque), palette (k >> 1) & 3, priority
| (k >> 3) & 1, h-flip k & 1, v-flip (k >> 2) & 1.
window_table:
    .set    k, 0
    .rept   2048
    dc.w    96 + (k & 31) + (((k >> 1) & 3) << 13) + (((k >> 3) & 1) << 15) + ((k & 1) << 11) + (((k >> 2) & 1) << 12)
    .set    k, k + 1
    .endr

| Sprite attribute entries: Y + 128, size (width - 1) << 2 + height - 1,
| link, pattern word, X + 128. The chain runs 0 1 13 12 11 5 6 2 3 4 7 8 9
| 10 15 14 16 17 18 19.
    .macro  SPRITE x, y, w, h, link, tile, palette, priority, hflip, vflip
    dc.w    (\y) + 128
    dc.b    (((\w) - 1) << 2) + ((\h) - 1), \link
    dc.w    (\tile) + ((\palette) << 13) + ((\priority) << 15) + ((\hflip) << 11) + ((\vflip) << 12)
    dc.w    (\x) + 128
    .endm
sprite_table:
    SPRITE  20, 20, 1, 1, 1, 1, 0, 0, 0, 0              | 0
    SPRITE  24, 24, 2, 2, 13, 10, 1, 0, 1, 0            | 1 over 0
    SPRITE  60, 10, 3, 1, 3, 20, 2, 1, 0, 1             | 2
    SPRITE  100, 10, 4, 1, 4, 30, 3, 1, 1, 1            | 3
    SPRITE  150, 30, 1, 2, 7, 40, 0, 0, 0, 0            | 4
    SPRITE  170, 30, 2, 3, 6, 50, 1, 1, 1, 0            | 5
    SPRITE  200, 40, 3, 4, 2, 60, 2, 1, 0, 1            | 6
    SPRITE  -12, 70, 4, 2, 8, 5, 3, 0, 1, 0             | 7 across the left edge
    SPRITE  300, 80, 4, 4, 9, 70, 0, 1, 0, 1            | 8 across the right edge
    SPRITE  140, -10, 2, 4, 10, 80, 1, 0, 0, 0          | 9 across the top edge
    SPRITE  240, 210, 1, 4, 15, 90, 2, 1, 1, 1          | 10 across the bottom edge
    SPRITE  40, 120, 4, 3, 5, 3, 2, 0, 0, 0             | 11
    SPRITE  56, 128, 3, 3, 11, 33, 3, 0, 0, 1           | 12 over 11
    SPRITE  64, 136, 2, 1, 12, 44, 0, 0, 0, 0           | 13 over 11 and 12
    SPRITE  160, 160, 1, 3, 16, 15, 1, 1, 0, 0          | 14
    SPRITE  164, 168, 3, 2, 14, 25, 2, 1, 1, 0          | 15 over 14
    SPRITE  200, 100, 4, 4, 17, 35, 3, 0, 1, 1          | 16
    SPRITE  250, 150, 2, 2, 18, 55, 1, 1, 0, 0          | 17
    SPRITE  280, 20, 3, 2, 19, 65, 2, 0, 0, 0           | 18
    SPRITE  10, 180, 4, 1, 0, 75, 3, 1, 0, 1            | 19, the end of the chain
