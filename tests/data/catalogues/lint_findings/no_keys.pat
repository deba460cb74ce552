just a note
another note
