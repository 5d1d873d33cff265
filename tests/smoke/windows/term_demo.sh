#!/usr/bin/env bash
# The Windows console backend under wine in tmux: code page 860 glyphs and
# colours, the classic key codes, Ctrl-C as a key, the cancel key, and the
# last screen left in the console at the end, cell by cell with its colours.
# (Ctrl-Break cannot be sent: no terminal key stands for it, and wine does
# not generate it.) Run by scripts/build-windows.
# Arguments: fpo.exe (unused here) and the Windows build folder.
source "$(dirname "$0")/wine.bash" "$@"

demo="$build/fpo_term_demo.exe"
[[ -f $demo ]] || fail "$demo is not built"
err="$SMOKE_DIR/stderr"

# Without a console: a message and exit code 1.
rc=0
wine "$demo" </dev/null >"$SMOKE_DIR/stdout" 2>"$err" || rc=$?
[[ $rc == 1 ]] || fail "without a console: exit code $rc"
grep -q "there is no console window" "$err" || fail "without a console: $(cat "$err")"

# Glyphs and colours.
tmux_start "wine '$demo' 2>$err"
tmux_wait_for "║ Atualização da Programação Orçamentária"
tmux_wait_for "║ ░▒▓█ ┌─┐ çãõé ºª ►◄▲▼"
tmux_wait_for "╚══════════════════════════════════════════════════════════════════════════════╝"
colours=$(tmux_capture -e)
grep -qE $'\e\\[[0-9;]*m vermelho ' <<<"$colours" || fail "no colour before ' vermelho '"

# Keys: tmux key name -> classic code. Each read is numbered on row 5.
# (Wine's terminal input does not decode every sequence tmux sends for
# Home and End; the key records themselves are tested in test_rt_term.)
demo_keys <<'KEYS'
M-n 305
Escape 27
n 110
M-q 272
Enter 13
Tab 9
BSpace 8
Up 5
Down 24
Left 19
Right 4
PPage 18
NPage 3
C-Left 26
C-Right 2
IC 22
DC 7
F1 28
F2 -1
F9 -8
F11 -40
F12 -41
C-a 1
C-c 3
KEYS
demo_key 135 tmux_type "ç"
demo_key 142 tmux_type "Ã"

# The cancel key: the chain on the error output, exit code 0; the last
# screen stays.
tmux_keys M-c
rc=$(tmux_wait_exit)
[[ $rc == 0 ]] || fail "cancel key: exit code $rc"
expected=$'Cancelled at: KEYS (21)\nCalled from DEMO (7)'
[[ $(cat "$err") == "$expected" ]] || fail "cancel key wrote: $(cat "$err")"
tmux_wait_for "║ ░▒▓█ ┌─┐ çãõé ºª ►◄▲▼"  # (the first row may have scrolled away)

# The last screen left in the console, read back cell by cell by a program
# of its own (tests/rt/term/demo/console_cells.cc).
cells="$build/fpo_console_cells.exe"
[[ -f $cells ]] || fail "$cells is not built"
tmux_start "wine '$cells' '$SMOKE_DIR/cells'"
rc=$(tmux_wait_exit)
[[ $rc == 0 ]] || fail "the last screen read back: $(cat "$SMOKE_DIR/cells" 2>/dev/null)"

# F10 ends the demo normally.
tmux_start "wine '$demo' 2>$err"
tmux_wait_for "Atualização"
tmux_keys F10
rc=$(tmux_wait_exit)
[[ $rc == 0 ]] || fail "F10: exit code $rc"
echo "console smoke test passed"
