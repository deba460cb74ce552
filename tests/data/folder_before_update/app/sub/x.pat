patch:X
