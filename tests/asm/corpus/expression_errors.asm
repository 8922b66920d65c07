; Expressions that cannot be evaluated, one message each.
        ld a,()
        .db 12b
        .db %
        .db %12
        .db 1%(2-2)
        .db 1+
        .db 1 2
        ld a,'ab'
        .dw 1<<64
        .dw 99999999999999999999
        ld a,"A"
