| Data directives, to check how the kit lays out bytes, words and longs: in
| 68000 order, big-endian, first byte at address 0, and 'even' alignment.

        .text
        dc.b    0x11, 0x22, 0x33        | three bytes, then one pad byte
        .even
        dc.w    0xABCD
        dc.l    0x01234567
loop:
        bra.s   loop                    | 60FE
        dc.b    0x5A                    | odd-sized image: ends on this byte
