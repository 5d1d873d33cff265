# Helpers for the smoke tests: a program in a private tmux server, in one
# window of exactly 80x25 (no status line), driven by keys and read back as
# text. Source this file; it ends the server when the script exits (EXIT trap),
# and not before (a new window never races the old server's exit).
#
#   tmux_start CMDLINE     run the shell command line CMDLINE in a fresh window
#   tmux_keys KEY...       send tmux key names: Enter Escape Tab BSpace F1 F10
#                          Up Left Home End PPage NPage IC DC C-Left M-n ...
#   tmux_type TEXT         send TEXT literally (UTF-8)
#   tmux_capture [ARG...]  the window, one line per row (ARG: capture-pane
#                          options, e.g. -e for the colours)
#   tmux_wait_for TEXT     wait until TEXT is on the screen
#   tmux_wait_gone TEXT    wait until TEXT is no longer on the screen
#   tmux_wait_exit         wait until the command has ended; prints its exit code
#   tmux_resize COLS ROWS  resize the window
#   fail MESSAGE           report MESSAGE with the screen and exit 1
#
# Waits look at the screen up to SMOKE_TRIES times (default 200), 0.05 s
# apart, then fail. Each works on the window of tmux_session (default
# "smoke"): set it for a second program beside the first.

set -euo pipefail

export LANG=C.UTF-8 LC_ALL=C.UTF-8
SMOKE_TRIES=${SMOKE_TRIES:-200}
SMOKE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/fpo-smoke.XXXXXX")
SMOKE_SOCKET="fpo-smoke-$$"
tmux_session=smoke
cat >"$SMOKE_DIR/tmux.conf" <<'CONF'
set -g default-terminal tmux-256color
set -g status off
set -g remain-on-exit on
set -s escape-time 0
set -s exit-empty off
CONF

command -v tmux >/dev/null || { echo "smoke: tmux is not installed" >&2; exit 1; }

_tmux() { tmux -u -L "$SMOKE_SOCKET" -f "$SMOKE_DIR/tmux.conf" "$@"; }

_smoke_end() {
  _tmux kill-server >/dev/null 2>&1 || true
  rm -rf "$SMOKE_DIR"
}
trap _smoke_end EXIT

fail() {
  echo "FAIL: $*" >&2
  if _tmux has-session -t "$tmux_session" 2>/dev/null; then
    echo "--- screen ---" >&2
    _tmux capture-pane -p -t "$tmux_session" >&2 || true
    echo "--------------" >&2
  fi
  exit 1
}

tmux_start() {
  _tmux kill-session -t "$tmux_session" >/dev/null 2>&1 || true
  local status="$SMOKE_DIR/status.$tmux_session"
  rm -f "$status"
  # The shell records the exit code: tmux may miss it when the program ends at once.
  _tmux new-session -d -s "$tmux_session" -x 80 -y 25 "$1; echo \$? >'$status.new'; mv '$status.new' '$status'"
}

tmux_keys() { _tmux send-keys -t "$tmux_session" "$@"; }
tmux_type() { _tmux send-keys -t "$tmux_session" -l "$1"; }
tmux_capture() { _tmux capture-pane -p -t "$tmux_session" "$@"; }
tmux_resize() { _tmux resize-window -t "$tmux_session" -x "$1" -y "$2"; }

tmux_wait_for() {
  local i
  for ((i = 0; i < SMOKE_TRIES; i++)); do
    tmux_capture | grep -qF -- "$1" && return 0
    sleep 0.05
  done
  fail "the screen never showed: $1"
}

tmux_wait_gone() {
  local i
  for ((i = 0; i < SMOKE_TRIES; i++)); do
    tmux_capture | grep -qF -- "$1" || return 0
    sleep 0.05
  done
  fail "the screen still shows: $1"
}

# The key demo (fpo_term_demo) numbers each key it reads on row 5:
# "#n tecla code ". demo_key CODE COMMAND... runs the command that sends one
# key and waits for the demo's report of that code; demo_keys does it for
# each "tmux-key-name code" line of standard input.
demo_key_count=0
demo_key() {
  local code=$1
  shift
  demo_key_count=$((demo_key_count + 1))
  "$@"
  tmux_wait_for "#$demo_key_count tecla $code "
}
demo_keys() {
  local name code
  while read -r name code; do demo_key "$code" tmux_keys "$name"; done
}

tmux_wait_exit() {
  local i
  for ((i = 0; i < SMOKE_TRIES; i++)); do
    if [[ -f $SMOKE_DIR/status.$tmux_session ]]; then
      cat "$SMOKE_DIR/status.$tmux_session"
      return 0
    fi
    sleep 0.05
  done
  fail "the program did not end"
}
