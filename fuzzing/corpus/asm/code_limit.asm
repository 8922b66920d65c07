;; form: 8xp
; The TI-83 Plus runs no code at or above C000h; data may lie there.
        .org 9D93h
        .db $BB,$6D
        .fill 0BFFEh-$
        ld hl,0
        nop
        .db "data is fine up here"
