#!/usr/bin/env bash
# A critique from the menu on the demo folder, with the national files in
# \ZOZ: the report file, two copies to Lpt1 and the status in CTL.DBF.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
fpo_to_menu
tmux_keys M-t
tmux_wait_for "Criticar Cadastros e Programação"
tmux_keys Enter
tmux_wait_for "Escolha a unidade"
tmux_type '\'
tmux_wait_for "Entre com o Cod. Município (ENTER p/ Lista)"
tmux_type "0440"
tmux_wait_for "Confirma Cod. Município: 0440"
tmux_keys Enter
# The question comes again after each copy; a key typed before it is shown
# again is dropped, so wait for each copy to reach Lpt1 first.
report="$zoz/CRI0440.211"
printed() {
  local want=$1 i
  for ((i = 0; i < SMOKE_TRIES; i++)); do
    [[ -f $SMOKE_DIR/lpt1 && $(stat -c %s "$SMOKE_DIR/lpt1") -eq $((want * $(stat -c %s "$report"))) ]] && return 0
    sleep 0.05
  done
  fail "Lpt1 never got copy $want"
}
tmux_wait_for "Imprimir?"
tmux_keys Enter
printed 1
sleep 0.3
tmux_wait_for "Imprimir?"
tmux_keys Enter
printed 2
sleep 0.3
tmux_wait_for "Imprimir?"
tmux_keys Right Enter
tmux_wait_gone "Imprimir?"
fpo_quit

[[ -s $report ]] || fail "no report file"
grep -qa "MANTENEDORAS" "$report" || fail "no maintainers section"
cat "$report" "$report" | cmp -s - "$SMOKE_DIR/lpt1" || fail "Lpt1 did not get two copies of the report"
if /usr/bin/python3 -c 'import dbfread' 2>/dev/null; then
  /usr/bin/python3 - "$zoz" <<'PY' || fail "the critique status is not in CTL.DBF"
import sys, os, dbfread
rows = [r for r in dbfread.DBF(os.path.join(sys.argv[1], "CTL.DBF")) if r["DATREF"] == 202211 and r["CODMNC"] == 440]
assert len(rows) == 1 and rows[0]["STASES"] == "E" and rows[0]["DATSES"] is not None, rows
PY
fi
echo "critique smoke test passed"
