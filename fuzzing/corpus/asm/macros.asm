;; defines: TI83P LEVEL=2
; #define in all its forms, conditionals nested, and -D from the command line.
#define bcall(x) rst 28h \ .dw x
#define TWO 2
#define pair(a, b) .db a \ .db b
#include "macros_inc.inc"
        bcall(4561h)                  ;= EF 61 45
        BCALL( 4972h )                ;= EF 72 49
        .db TWO, two*LEVEL            ;= 02 04
        pair(1, two)                  ;= 01 02
        .db "TWO bcall(x)"            ;= 54 57 4F 20 62 63 61 6C 6C 28 78 29
        .db fromInclude               ;= 55
#ifdef TI83P
        .db 83h                       ;= 83
#ifndef TI83P
        .db 0                         
#else
        .db 84h                       ;= 84
#endif
#else
        .db 0
#endif
#ifdef NOT_DEFINED
#define bcall(x) call x
        .db 0
#endif
        bcall(0)                      ;= EF 00 00
