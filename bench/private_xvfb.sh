# Sourced by the bench scripts: start_private_xvfb <work folder> starts an
# Xvfb of 1024x768x24 on a free display number, sets $xvfb to its process
# id and exports DISPLAY once the server is ready.
start_private_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$1/display")
}
