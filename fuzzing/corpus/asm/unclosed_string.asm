; A string that is not closed loses its own line only.
        .db "abc,0
        .db 1
        ld a,q
