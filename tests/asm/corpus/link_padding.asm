;; form: 8xp
;; padding: 1
; The link sends a 2232-byte body with its length word and framing in twentieths, the last
; of them empty, which some cables never complete: the body gets one zero after its end.
        .org 9D93h
        .db 0BBh,6Dh
        .fill 2230, 0C9h
