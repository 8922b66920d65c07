;; form: 83p
        .org 0
        .fill 65535, 0
        .db 0
