; Instruction spellings the disassembler never writes (the Z80 sweep assembles every opcode as
; it writes it): letter case, spaces, expressions, symbols, the two-operand form of the 8-bit
; operations, parentheses that do or do not make an operand indirect, and forward references,
; which the first pass must encode without a range error and at their final length.
label   .equ 9D95h
ixtable .equ 4000h
        .org 8000h
        Ld A , ( Ix + 5 )      ;= DD 7E 05
        ld a,( iy - 2 )        ;= FD 7E FE
        ld (IX+2+3),1          ;= DD 36 05 01
        ld (ix-2+10),a         ;= DD 77 08
        sub a,b                ;= 90
        and a,0Fh              ;= E6 0F
        cp a,(hl)              ;= BE
        add b                  ;= 80
        ld a,(5+3)             ;= 3A 08 00
        ld a,(2)+(3)           ;= 3E 05
        ld hl,(label)          ;= 2A 95 9D
        ld hl,label+2          ;= 21 97 9D
        ld a,(ixtable)         ;= 3A 00 40
        ld a,(')')             ;= 3A 29 00
        ld a,'('               ;= 3E 28
        ld a,-1                ;= 3E FF
        ld a,-128              ;= 3E 80
        ld hl,-32768           ;= 21 00 80
        ld bc,-1               ;= 01 FF FF
        jr C,$                 ;= 38 FE
        ret C                  ;= D8
        djnz $+1               ;= 10 FF
        in (c)                 ;= ED 70
        sl1 b                  ;= CB 30
        SL1 e,(iy+2)           ;= FD CB 02 33
        out (c),1-1            ;= ED 71
        jr fwd1                ;= 18 00
fwd1:   djnz fwd2              ;= 10 00
fwd2:   jr nz,fwd3             ;= 20 00
fwd3:   ld (ix+zero),zero      ;= DD 36 00 00
        rst zero               ;= C7
        im zero                ;= ED 46
        bit zero,(iy+zero)     ;= FD CB 00 46
        call zero              ;= CD 00 00
        ld a,(zero)            ;= 3A 00 00
zero    .equ 0
