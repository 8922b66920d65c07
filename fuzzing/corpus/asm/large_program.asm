;; form: 83p
        .org 9327h
        .fill 25000, 0
