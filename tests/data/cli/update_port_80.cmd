# The update on the product's own port, 80, which no --port changes: server and program share a
# private network namespace.
copy catalogues/three app
bin app
copy updates/site site
serve site 80
run app/korrin-patch update 127.0.0.1/updates/
ls app
