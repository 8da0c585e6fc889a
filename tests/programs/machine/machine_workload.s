| A game-like load for speed measurements: the display is on with both
| planes filled with tiles, 64 moving sprites and a scrolling background.
| Every V interrupt copies the sprite table from work RAM by DMA and writes
| the scroll values; the main loop moves the sprites, does some arithmetic
| and then waits for the next frame, as games do.
|
| Results: +0 frames seen by the V interrupt (long), +4 a checksum the main
| loop keeps (long).

    .include "cart.i"
    CART ignore_interrupt, on_vint

    .equ    FRAMES, RESULTS
    .equ    CHECKSUM, RESULTS + 4
    .equ    SCROLL, RESULTS + 8
    .equ    SPRITES, 0xFF8000                | 64 entries of 8 bytes
    .equ    VELOCITY, 0xFF8400               | 64 pairs of words (dx, dy)
    .equ    SPRITE_COUNT, 64

start:
    lea     vdp_setup,%a0
    moveq   #vdp_setup_end-vdp_setup-1,%d1
    lsr.w   #1,%d1
set_register:
    move.w  (%a0)+,VDP_CTRL
    dbf     %d1,set_register

    | Palette: 64 colours.
    move.l  #0xC0000000,VDP_CTRL
    moveq   #64-1,%d1
    moveq   #0,%d0
palette:
    move.w  %d0,VDP_DATA
    add.w   #0x0246,%d0
    and.w   #0x0EEE,%d0
    dbf     %d1,palette

    | Tiles 0-63: row r of tile t is colour (t + r) & 15 in every pixel.
    move.l  #0x40000000,VDP_CTRL
    moveq   #0,%d2                          | tile
tile:
    moveq   #0,%d3                          | row
tile_row:
    move.w  %d2,%d0
    add.w   %d3,%d0
    and.l   #15,%d0
    move.l  %d0,%d4
    lsl.l   #4,%d4
    or.l    %d4,%d0
    move.l  %d0,%d4
    lsl.l   #8,%d4
    or.l    %d4,%d0
    move.l  %d0,%d4
    swap    %d4
    or.l    %d4,%d0
    move.l  %d0,VDP_DATA
    addq.w  #1,%d3
    cmp.w   #8,%d3
    bne.s   tile_row
    addq.w  #1,%d2
    cmp.w   #64,%d2
    bne.s   tile

    | Plane A at 0xC000 and plane B at 0xE000: 64 x 32 cells each.
    move.l  #0x40000003,VDP_CTRL
    move.w  #2048-1,%d1
    moveq   #0,%d0
plane_a:
    move.w  %d0,%d2
    and.w   #0x603F,%d2                     | tile, palette line, some priority
    move.w  %d2,VDP_DATA
    addq.w  #7,%d0
    dbf     %d1,plane_a
    move.l  #0x60000003,VDP_CTRL
    move.w  #2048-1,%d1
    moveq   #0,%d0
plane_b:
    move.w  %d0,%d2
    and.w   #0x203F,%d2
    move.w  %d2,VDP_DATA
    addq.w  #3,%d0
    dbf     %d1,plane_b

    | Sprites in work RAM: 2 x 2 cells, linked in order, with velocities.
    lea     SPRITES,%a0
    lea     VELOCITY,%a1
    moveq   #0,%d1
sprite_init:
    move.w  %d1,%d0
    lsl.w   #2,%d0
    add.w   #128,%d0
    move.w  %d0,(%a0)+                      | Y
    move.w  %d1,%d0
    addq.w  #1,%d0
    cmp.w   #SPRITE_COUNT,%d0
    bne.s   linked
    moveq   #0,%d0
linked:
    or.w    #0x0500,%d0
    move.w  %d0,(%a0)+                      | size, link
    move.w  %d1,%d0
    and.w   #63,%d0
    or.w    #0x8000,%d0
    move.w  %d0,(%a0)+                      | pattern
    move.w  %d1,%d0
    lsl.w   #3,%d0
    add.w   #128,%d0
    move.w  %d0,(%a0)+                      | X
    move.w  %d1,%d0
    and.w   #3,%d0
    addq.w  #1,%d0
    move.w  %d0,(%a1)+                      | dx
    move.w  %d1,%d0
    and.w   #1,%d0
    addq.w  #1,%d0
    move.w  %d0,(%a1)+                      | dy
    addq.w  #1,%d1
    cmp.w   #SPRITE_COUNT,%d1
    bne.s   sprite_init

    move.w  #0x2000,%sr                     | V interrupts on

main_loop:
    | Move every sprite and bounce it off the picture's edges.
    lea     SPRITES,%a0
    lea     VELOCITY,%a1
    moveq   #SPRITE_COUNT-1,%d1
move_sprite:
    move.w  (%a1),%d0
    add.w   %d0,6(%a0)
    cmp.w   #128+320-16,6(%a0)
    bhi.s   flip_x
    cmp.w   #128,6(%a0)
    bhi.s   x_done
flip_x:
    neg.w   (%a1)
x_done:
    move.w  2(%a1),%d0
    add.w   %d0,(%a0)
    cmp.w   #128+224-16,(%a0)
    bhi.s   flip_y
    cmp.w   #128,(%a0)
    bhi.s   y_done
flip_y:
    neg.w   2(%a1)
y_done:
    addq.l  #8,%a0
    addq.l  #4,%a1
    dbf     %d1,move_sprite

    | Some arithmetic over the sprite table.
    lea     SPRITES,%a0
    move.l  CHECKSUM,%d2
    move.w  #SPRITE_COUNT*4-1,%d1
checksum:
    move.w  (%a0)+,%d0
    mulu    #0x9E37,%d0
    add.l   %d0,%d2
    rol.l   #5,%d2
    dbf     %d1,checksum
    move.l  %d2,CHECKSUM

    | Wait for the next frame.
    move.l  FRAMES,%d0
wait_frame:
    cmp.l   FRAMES,%d0
    beq.s   wait_frame
    bra     main_loop

on_vint:
    movem.l %d0-%d1,-(%sp)
    addq.l  #1,FRAMES
    | Sprite table by DMA: 256 words from 0xFF8000 to VRAM 0xD800.
    move.w  #0x9300+0x00,VDP_CTRL
    move.w  #0x9400+0x01,VDP_CTRL
    move.w  #0x9500+0x00,VDP_CTRL
    move.w  #0x9600+0xC0,VDP_CTRL
    move.w  #0x9700+0x7F,VDP_CTRL
    move.l  #0x58000083,VDP_CTRL
    | Scroll: plane A one way, plane B the other, and a vertical drift.
    addq.w  #1,SCROLL
    move.w  SCROLL,%d0
    move.l  #0x7C000002,VDP_CTRL
    move.w  %d0,VDP_DATA
    neg.w   %d0
    move.w  %d0,VDP_DATA
    move.l  #0x40000010,VDP_CTRL
    lsr.w   #2,%d0
    move.w  %d0,VDP_DATA
    movem.l (%sp)+,%d0-%d1
    rte

vdp_setup:
    dc.w    0x8004, 0x8174, 0x8230, 0x832C, 0x8407, 0x856C, 0x8600, 0x8700
    dc.w    0x8800, 0x8900, 0x8AFF, 0x8B00, 0x8C81, 0x8D2F, 0x8E00, 0x8F02
    dc.w    0x9001, 0x9100, 0x9200
vdp_setup_end:
