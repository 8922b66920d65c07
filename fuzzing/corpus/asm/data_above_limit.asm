;; form: 8xp
; Data may lie at or above C000h on the TI-83 Plus; only code may not.
        .org 9D93h
        .db $BB,$6D
        ret
        .org 0C000h
        .db 1,2
