; Every way of writing a number, and the trailing d that makes 6D decimal.
        .db 10, $0A, 0Ah, 0ah, %1010, 1010b, 10d, 'A'   ;= 0A 0A 0A 0A 0A 0A 0A 41
        .db $BB,$6D                                     ;= BB 6D
        .db $BB,6D                                      ;= BB 06
        .db 0FFh, 1Bh, 0Dh, 6Dh, 11b, 12d, 0           ;= FF 1B 0D 6D 03 0C 00
        .db $ff, 0B0h, 0BEEFh & 0FFh, -1, -128          ;= FF B0 EF FF 80
        .dw 1234h, -1, 65535, $9D95                     ;= 34 12 FF FF FF FF 95 9D
