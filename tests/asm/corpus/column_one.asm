; A word at the start of a line is a label, even one spelled like an instruction.
ret
        jp ret                       ;= C3 00 00
nop:    nop                          ;= 00
