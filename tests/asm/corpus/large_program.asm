;; form: 83p
; The TI-83 runs code at any address, C000h and above too.
        .org 9327h
        .fill 24999, 0
        ret
