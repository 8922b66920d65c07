;; form: 8xp
        .org 9D95h
        ret                  ;= C9
