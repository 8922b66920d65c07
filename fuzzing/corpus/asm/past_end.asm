        .org 0FFFEh
        .db 1,2,3,4
