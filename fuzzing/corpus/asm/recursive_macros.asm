#define a a
 .db a
#define b(x) b(x) b(x)
 .db b(1)
