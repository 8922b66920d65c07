#include "no_such_file.inc"
#include no_quotes.inc
#else
#endif
#frobnicate
#define
#define m(a,b) a+b
        .db m(1)
#define loop loop+1
        .db loop
