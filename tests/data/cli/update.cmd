# The online update from a real HTTP/1.0 server on loopback: the script writes a definition,
# deletes one, and may not delete the program itself.
copy catalogues/three app
bin app
copy updates/site site
serve site
run app/korrin-patch update 127.0.0.1/updates/ --port @PORT@
ls app
run app/korrin-patch list
# No patch.dsc at the address: the server answers 404.
run app/korrin-patch update 127.0.0.1/nothing/ --port @PORT@
# A body that says "error 404" is no update either.
run app/korrin-patch update 127.0.0.1/broken/ --port @PORT@
# An address without "/" is refused before any connection.
run app/korrin-patch update 127.0.0.1 --port @PORT@
# Nothing listens on port 1.
run app/korrin-patch update 127.0.0.1/updates/ --port 1
ls app
run --folder @WORK@/app update 127.0.0.1/updates/ --port 0
# The address as users write it: blanks around it, "http://", host:port, no "/" at the end.
run app/korrin-patch update "  http://127.0.0.1:@PORT@/nothing "
# "https://" is refused: the update speaks plain HTTP.
run app/korrin-patch update https://127.0.0.1/updates/ --port @PORT@
# A server that accepts and then says nothing: the update gives up, and nothing runs.
silent
run app/korrin-patch update 127.0.0.1/updates/ --port @PORT@ --timeout 1
ls app
