        .org 100h
        .db 1,2
        .org 101h
        .db 3
