; Operators apply strictly left to right, as TASM has them; unary operators take the term
; after them; parentheses group. Where C precedence would differ, a warning says so.
        .org 4000h
        .db 2+3*4, 2+(3*4), (2+3)*4, 7/2, 7%3, -7/2 & 0FFh  ;= 14 0E 14 03 01 FD
        .db 1<<4|1, 0F0h>>4, 6&3^1, ~0&0FFh, +5, - -3        ;= 11 0F 03 FF 05 03
        .db 1|2^3&4, (1|2)^3, 10-2-3, 64/4/2, 2*-3&0FFh      ;= 00 00 05 08 FA
        .db ((1+2)*(3+4)), 1 + 2 << 1, 1<<2+1                ;= 15 06 05
        .dw $, $+2, $+1*2                                    ;= 14 40 16 40 2A 80
        jr $                                                 ;= 18 FE
        .db 'z'-'a', "AB"                                    ;= 19 41 42
        .db ~1+1, -7%2, 7%%11, 2*-3+1, -2*3, 1|6&3, 256>>4>>1 ;= FF FF 01 FB FA 03 08
        .db ' ', 0DDh, 0FFFFFFFFFFFFFFFFh, 2*3+1, 0*2+1       ;= 20 DD FF 07 01
