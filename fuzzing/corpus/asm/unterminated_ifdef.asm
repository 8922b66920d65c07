#ifdef TI83P
        nop
#ifndef X
        nop
#endif
