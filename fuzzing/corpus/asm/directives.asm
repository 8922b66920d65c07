; Directives with and without the dot, in any letter case; nothing after .end counts.
        .nolist
	.list
        .ORG 8000h
        db 1 \ .byte 2 \ .TEXT "ab" \ BYTE 3    ;= 01 02 61 62 03
        dw 0102h \ .WORD 0304h                  ;= 02 01 04 03
        .fill 3, 0AAh                           ;= AA AA AA
        .block 2                                ;= 00 00
        .fill 0
        .org 8010h
        .db 0EEh                                ;= 00 00 EE
.end
        .db 99h
this is not assembled: ld q,q
END
