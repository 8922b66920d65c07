; A .fill that runs past the end of memory is one message, and the counter still moves on.
        .org 0FFF0h
        .fill 32, 7
after:  .dw after
