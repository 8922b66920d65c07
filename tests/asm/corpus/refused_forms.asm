; Forms that once passed unnoticed or gave misleading messages: one message each.
        jr $-3
        jr 0FFFDh
list .db 1
        .nolist 5
        .list ; a comment is not an operand
        ld a,'\n' \ nop
        .db '\\'
