; Labels with and without a colon, in any letter case, forward references and equates.
        .org 9D95h
start:  jp Finish                  ;= C3 A5 9D
loop    .db 1                      ;= 01
Data:                              
        ld hl,DATA \ ld de,LOOP    ;= 21 99 9D 11 98 9D
        ld a,Later+1               ;= 3E 08
count = 3
Width   .equ 8
Later   = Width-1
        .db count, WIDTH, later    ;= 03 08 07
twice:  .equ Count*2
        .db TWICE                  ;= 06
FINISH: ret                        ;= C9
        ld bc,finish-start         ;= 01 10 00
