# Sourced by run.sh and test.sh: makes sure an X display exists.
# Without one (a CI machine, a server) it starts Xvfb on a free display number
# and stops it when the calling script exits.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local fdfile
  fdfile=$(mktemp)
  # -noreset: Xvfb would otherwise reset when its last client leaves and
  # refuse connections meanwhile, failing a test that starts at that moment.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
  for _ in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "could not start Xvfb" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  # Mesa's software rasteriser: the same picture on every machine.
  export LIBGL_ALWAYS_SOFTWARE=1
}
