; A relative jump reaches its target within memory, never by wrapping past 0 or FFFFh.
        .org 0FFFCh
        jr $+2                           ;= 18 00
        jr 0FFFCh                        ;= 18 FC
