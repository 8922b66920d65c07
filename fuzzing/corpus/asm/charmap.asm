; A character map applies to string and character literals placed after it, never to numbers.
        .db "a[", 'a'                 ;= 61 5B 61
        .charmap 'a', 'b'
        .charmap 5Bh, 0C1h
        .db "a[c", 'a', 61h, 5Bh      ;= 62 C1 63 62 61 5B
        .charmap 'a', 'z'
        .db "a"                       ;= 7A
        .charmap 'z', 'y'
        .db "az"                      ;= 7A 79
        .charmap 0E9h, 96h
        .db "é"                       ;= 96
