#!/usr/bin/env bash
# The real terminal backend in tmux: code page 860 glyphs, colours, the key
# codes of the classic keyboard (also from the raw sequences of other
# terminals), the resize notice, the cancel key, and the
# refusal of a device that is not a usable terminal.
# Arguments: the program (unused here) and the build directory.
source "$(dirname "$0")/lib.bash"

demo="$2/fpo_term_demo"
[[ -x $demo ]] || fail "$demo is not built"
err="$SMOKE_DIR/stderr"

# Not a terminal, or an unknown one: a message and exit code 1, nothing drawn.
rc=0
"$demo" </dev/null >"$SMOKE_DIR/stdout" 2>"$err" || rc=$?
[[ $rc == 1 ]] || fail "without a terminal: exit code $rc"
grep -q "must be a terminal" "$err" || fail "without a terminal: $(cat "$err")"
[[ ! -s $SMOKE_DIR/stdout ]] || fail "without a terminal: something was written"

tmux_start "TERM=fpo-no-such-terminal $demo 2>$err"
rc=$(tmux_wait_exit)
[[ $rc == 1 ]] || fail "unknown terminal: exit code $rc"
grep -q "unknown terminal type 'fpo-no-such-terminal'" "$err" || fail "unknown terminal: $(cat "$err")"
[[ -z $(tmux_capture | grep -v "^Pane is dead" | tr -d ' \n') ]] || fail "unknown terminal: something was drawn"

# Glyphs and colours.
tmux_start "$demo 2>$err"
tmux_wait_for "║ Atualização da Programação Orçamentária"
tmux_wait_for "║ ░▒▓█ ┌─┐ çãõé ºª ►◄▲▼"
tmux_wait_for "╚══════════════════════════════════════════════════════════════════════════════╝"
colours=$(tmux_capture -e)
sgr() { grep -qE $'\e\\[([0-9;]*;)?'"$1"'m'"$2" <<<"$colours" || fail "no SGR $1 before '$2'"; }
sgr 41 " vermelho "      # red background
sgr 47 " cinza "         # white background
sgr 5 ".*pisca"          # blink

# Keys: tmux key name -> classic code. Each read is numbered on row 5.
demo_keys <<'KEYS'
M-n 305
Escape 27
n 110
M-q 272
M-a 286
M-M 306
Enter 13
Tab 9
BSpace 8
Up 5
Down 24
Left 19
Right 4
Home 1
End 6
PPage 18
NPage 3
C-PPage 31
C-NPage 30
C-Home 29
C-End 23
C-Left 26
C-Right 2
IC 22
DC 7
F1 28
F2 -1
F9 -8
KEYS
demo_key 135 tmux_type "ç"

# The same keys in the encodings of other terminals, sent as raw bytes; an
# unknown sequence is dropped whole, the key after it is read as itself.
while read -r code hex; do
  demo_key "$code" _tmux send-keys -t smoke -H $hex
done <<'RAW'
1 1b 5b 31 7e
6 1b 5b 34 7e
1 1b 5b 48
6 1b 4f 46
1 1b 5b 37 7e
6 1b 5b 38 7e
28 1b 5b 5b 41
-8 1b 5b 32 30 7e
2 1b 5b 31 3b 35 43
120 1b 5b 39 39 7e 78
RAW
demo_key 142 tmux_type "Ã"

# A window smaller than 80x25 shows a notice and drops keys; enlarged, the
# screen comes back from the cells.
tmux_resize 60 20
tmux_wait_for "Terminal pequeno demais."
tmux_keys z
tmux_resize 80 25
tmux_wait_for "║ Atualização da Programação Orçamentária"
tmux_wait_gone "Terminal pequeno demais."
demo_key 120 tmux_keys x

# The cancel key: the chain on the error output, exit code 0.
tmux_keys M-c
rc=$(tmux_wait_exit)
[[ $rc == 0 ]] || fail "cancel key: exit code $rc"
expected=$'Cancelled at: KEYS (21)\nCalled from DEMO (7)'
[[ $(cat "$err") == "$expected" ]] || fail "cancel key wrote: $(cat "$err")"

# F10 ends the demo normally.
tmux_start "$demo 2>$err"
tmux_wait_for "Atualização"
tmux_keys F10
rc=$(tmux_wait_exit)
[[ $rc == 0 ]] || fail "F10: exit code $rc"
echo "terminal smoke test passed"
