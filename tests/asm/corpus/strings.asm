; Literals: no escapes, separators and comment marks inside them, CR, LF and CR LF ends.
        .db "a\b;c",0   ;= 61 5C 62 3B 63 00
        .db "x
y",0 \ .db 1   ;= 78 0A 79 00 01
        .db ';', '\', '"'   ;= 3B 5C 22        ex af,af' \ ld a,'\' ; the quote after af is no literal ;= 08 3E 5C
        .db "",1,"\"   ;= 01 5C
        .db "'\n'"   ;= 27 5C 6E 27
