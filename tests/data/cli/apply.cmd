# Every outcome of Apply, with the window's message, its stream and its status.
printf vplaces.exe '\x0F\x8C\x51\x01\x00\x00\x3D\xAA\xBB\x00'
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no"
dump vplaces.exe
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no" --option 2
dump vplaces.exe
# Not found: the failure message, nothing written.
run --folder @DATA@/definitions apply --target vplaces.exe Number --value 1000
run --folder @DATA@/definitions apply --target vplaces.exe Text
# Incomplete definitions are refused before the target is read.
run --folder @DATA@/definitions apply --target vplaces.exe "No location" --option 1
run --folder @DATA@/definitions apply --target vplaces.exe "No param"
run --folder @DATA@/definitions apply --target vplaces.exe "One option"
dump vplaces.exe
# No such target, or no such folder.
run --folder @DATA@/definitions apply --target missing.exe "Yes or no"
run --folder @DATA@/definitions apply --target @WORK@/nofolder/vplaces.exe "Yes or no"
# A target that runs may not be written: the message about VPLACES.EXE being open.
busy running/vplaces.exe
printf app/elf_class.pat 'patch:ELF class\r\ndescription:The byte after the ELF magic.\r\nparam:yn|32-bit:01|64-bit:02\r\nlocation:7F454C46\r\n'
run --folder @WORK@/app apply --target running/vplaces.exe 0 --option 1
# The record made before the save is void: nothing to undo.
run history --target running/vplaces.exe
# Usage errors: the window offers either the options or the value box, never both.
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no" --value 5
run --folder @DATA@/definitions apply --target vplaces.exe Number --option 2
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no" --option 3
run --folder @DATA@/definitions apply --target vplaces.exe Number --option 1 --value 5
run --folder @DATA@/definitions apply "Yes or no"
run --folder @DATA@/definitions apply --target vplaces.exe
dump vplaces.exe
# "--value=" is the empty text, a valid value of a "text" patch.
printf text.exe 'VPT\r\nOld title\0'
printf app2/title.pat 'patch:Title\r\ndescription:The title.\r\nparam:text|VP\r\nlocation:5650540D0A\r\n'
run --folder @WORK@/app2 apply --target text.exe 0 --value=
dump text.exe
# --option on a definition that cannot be read (a title ending in a blank leads to a wrong file
# name): what is wrong with it, status 1.
printf app3/broken.pat 'patch:Broken \r\nparam:yn|A:01|B:02\r\nlocation:AA\r\n'
run --folder @WORK@/app3 apply --target vplaces.exe 0 --option 2
# A "num" value that the number rule reads as another number is written with a warning; a text
# with no number in it is refused.
printf number.exe '\xC7\x44\x24\x10\x00\x00'
run --folder @DATA@/catalogues/three apply --target number.exe 1 --value 12abc
run --folder @DATA@/catalogues/three apply --target number.exe 1 --value 65536
run --folder @DATA@/catalogues/three apply --target number.exe 1 --value abc
dump number.exe
