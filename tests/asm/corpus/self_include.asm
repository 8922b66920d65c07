#include "self_include.asm"
        nop
