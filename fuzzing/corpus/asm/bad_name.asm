;; form: 83p
;; name: 9LIVES
        ret
