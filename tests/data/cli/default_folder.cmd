# Without --folder the catalogue is the one beside the executable, wherever it is started from,
# and through a symbolic link it is still the one beside the real file.
copy catalogues/three app
bin app
link app/korrin-patch elsewhere/korrin-patch
run app/korrin-patch list
run elsewhere/korrin-patch list
# --folder may come after the command too.
run list --folder @DATA@/catalogues/three
