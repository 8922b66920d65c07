; Errors are reported one per line and the assembly goes on.
        ld a,undefined
        ld q,1
        jr far
        .foo 1
        .db 1F
        .db 1/0
        frob a
dup:    nop
dup:    nop
        .db 256
        .dw 70000
        .org later
        .db "abc" x
        .db
        ld a,(2+3
        .fill -1
        nop
        .charmap 1
        .db 1,,2
        .equ 5
        .org 200h
far:    nop
later:  nop
