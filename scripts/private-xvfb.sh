# Sourced by bench.sh: starts a private Xvfb server with GLX,
# stops it when the calling script exits, and points the game at it with
# Mesa's software renderer, silent sound and non-interactive message boxes.
# Fails the calling script when the server does not come up within 10 s.
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX 3>"$fdfile" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -f "$fdfile"' EXIT
for _ in $(seq 1 100); do
  [ -s "$fdfile" ] && break
  sleep 0.1
done
if [ ! -s "$fdfile" ]; then echo "$(basename "$0"): Xvfb did not start" >&2; exit 1; fi
export DISPLAY=":$(head -n1 "$fdfile")"
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy ZENDRA_NONINTERACTIVE=1
