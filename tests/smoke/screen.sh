#!/usr/bin/env bash
# What the terminal shows around long work and at the end: a banner drawn
# before a long step reaches the terminal while the step runs; the last
# screen stays on the terminal after the program ends; every signal that ends
# the program gives the terminal back (exit code 1).
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

# What the terminal received, escape sequences left out.
shown_text() { sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$SMOKE_DIR/shown"; }

# The production report indexes a production table of 3,000,000 rows: its
# banner is sent while the index is built, before the closing question.
FPO_DEMO_ROWS=3000000 fpo_start
fpo_to_menu
_tmux pipe-pane -t smoke "cat >'$SMOKE_DIR/shown'"
tmux_keys M-r
tmux_wait_for "Produção das Unidades"
tmux_keys Enter
SMOKE_TRIES=600 tmux_wait_for "Imprimir?"
_tmux pipe-pane -t smoke
banner=$(shown_text | { grep -abo "Indexando Produção Ambulatorial" || true; } | head -1 | cut -d: -f1)
question=$(shown_text | { grep -abo "Imprimir?" || true; } | head -1 | cut -d: -f1)
[[ -n $banner ]] || fail "the banner of the production table never reached the terminal"
[[ -n $question && $banner -lt $question ]] || fail "the banner came after the question"
tmux_keys Right Enter
tmux_wait_gone "Imprimir?"
fpo_quit

# The version stop: its message stays on the terminal, exit code 0.
fpo_demo
# The first field of the first record: after the header and the deletion flag.
header=$(od -An -tu2 -j8 -N2 "$zoz/S_CTR.DBF" | tr -d ' ')
printf '199910' | dd of="$zoz/S_CTR.DBF" bs=1 seek=$((header + 1)) conv=notrunc status=none
tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' '$fpo' 2>'$SMOKE_DIR/stderr'"
tmux_wait_for "Data de Referência (AAAAMM)"
tmux_type "199910"
tmux_wait_for "Confirma Data: 199910"
tmux_keys Enter
code=$(tmux_wait_exit)
[[ $code == 0 ]] || fail "version stop: exit code $code"
tmux_capture | grep -q "^            Data invalida para versao$" || fail "the version stop's message is gone"

# Esc at the complement: its message stays, exit code 0.
fpo_start
fpo_to_menu
fpo_import_to_complement
tmux_keys Escape
code=$(tmux_wait_exit)
[[ $code == 0 ]] || fail "complement: exit code $code"
tmux_capture | grep -q "^            Acessar o KOVA Novamente$" || fail "the complement's message is gone"

# Each signal at the period dialog: exit code 1 and the terminal's mode as
# it was (canonical input, echo), read on the same terminal afterwards.
fpo_demo
for sig in HUP INT QUIT TERM SEGV BUS FPE ILL ABRT; do
  rm -f "$SMOKE_DIR/stty"
  tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' '$fpo' 2>/dev/null; rc=\$?; stty -a >'$SMOKE_DIR/stty'; (exit \$rc)"
  tmux_wait_for "Data de Referência (AAAAMM)"
  pid=$(ps -o pid= --ppid "$(_tmux display -p -t smoke '#{pane_pid}')" | tr -d ' ')
  [[ -n $pid ]] || fail "SIG$sig: the program's process was not found"
  kill -s "$sig" "$pid"
  code=$(tmux_wait_exit)
  [[ $code == 1 ]] || fail "SIG$sig: exit code $code"
  grep -qE '(^|[ ;])icanon' "$SMOKE_DIR/stty" || fail "SIG$sig: the terminal stays without canonical input"
  grep -qE '(^|[ ;])echo( |;|$)' "$SMOKE_DIR/stty" || fail "SIG$sig: the terminal stays without echo"
done
echo "screen smoke test passed"
