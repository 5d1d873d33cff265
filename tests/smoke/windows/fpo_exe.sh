#!/usr/bin/env bash
# fpo.exe under wine in tmux on the demo folder: start-up to the menu, a whole
# import read back by an independent dBASE reader, the production report
# printed to a file standing for Lpt1, the exit with "Sim", and the cancel
# key. Run by scripts/build-windows (a wine server of WINEPREFIX running).
# Arguments: fpo.exe and the Windows build folder.
fpo=$(realpath "$1")
build=$(realpath "$2")
here="$(dirname "$0")"
source "$here/../lib.bash"
source "$here/../fpo.bash"
export WINEPREFIX=${WINEPREFIX:-$build/wine} WINEDEBUG=-all
SMOKE_TRIES=${SMOKE_TRIES_WINE:-400}  # wine starts programs more slowly

fpo_demo() {
  rm -rf "$SMOKE_DIR/drive"
  wine "$build/fpo_demo.exe" "$SMOKE_DIR/drive" >/dev/null
  zoz="$SMOKE_DIR/drive/ZOZ"
  [[ -f $zoz/S_CTR.DBF ]] || fail "fpo_demo.exe made no demo folder"
}

# Lpt1 is a file, not named like a device: Windows takes lpt1 for the printer
# port in any folder.
fpo_start() {
  fpo_demo
  tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' FPO_LPT1='$SMOKE_DIR/printer.out' wine '$fpo' 2>'$SMOKE_DIR/stderr'"
}

fpo_start
fpo_to_menu

# The import of the demo month.
fpo_import

# The production report, printed: two pull-downs to the right.
tmux_keys Right
tmux_wait_for "Criticar Cadastros e Programação"
tmux_keys Right
tmux_wait_for "Produção das Unidades"
tmux_keys Enter
tmux_wait_for "Imprimir?"
tmux_keys Enter
tmux_wait_gone "Imprimir?"
[[ -s $SMOKE_DIR/printer.out ]] || fail "nothing reached the printer"
cmp -s "$SMOKE_DIR/printer.out" "$zoz/PABFAE.PRN" || fail "the printer did not get the report byte for byte"
grep -qa "TOTAIS ----->" "$zoz/PABFAE.PRN" || fail "no totals line"
[[ $(tail -c 2 "$zoz/PABFAE.PRN" | od -An -c | tr -d ' ') == '\f\r' ]] || fail "the report does not end with an eject"

tmux_keys Escape
tmux_wait_for "Confirma encerramento?"
tmux_keys Enter
code=$(tmux_wait_exit)
[[ $code == 0 ]] || fail "exit code $code"
[[ ! -s $SMOKE_DIR/stderr ]] || fail "error output: $(cat "$SMOKE_DIR/stderr")"

/usr/bin/python3 - "$zoz" <<'PY' || fail "dbfread could not read the tables"
import sys, os, dbfread
zoz = sys.argv[1]
for name in ("S_UPS.DBF", "S_IPU.DBF", "S_CNESIA.DBF", "CTL.DBF", "S_VPA.DBF", "S_CTR.DBF", "S_SS.DBF"):
    rows = list(dbfread.DBF(os.path.join(zoz, name), encoding="cp860", char_decode_errors="strict"))
    assert rows, name
ctl = list(dbfread.DBF(os.path.join(zoz, "CTL.DBF")))
assert any(r["DATREF"] == 202211 and r["CODMNC"] == 440 for r in ctl), ctl
PY

# The cancel key at the first notice: exit code 0 and where it stopped.
fpo_start
tmux_wait_for "Data de Referência (AAAAMM)"
tmux_type "202211"
tmux_wait_for "Confirma Data: 202211"
tmux_keys Enter
tmux_wait_for "Novidade"
tmux_keys M-c
code=$(tmux_wait_exit)
[[ $code == 0 ]] || fail "cancel key: exit code $code"
[[ $(head -1 "$SMOKE_DIR/stderr") == "Cancelled at: MENU ("*")" ]] || fail "cancel key wrote: $(cat "$SMOKE_DIR/stderr")"
# The last screen stays in the pane after the program has ended.
tmux_wait_for "Novidade"
echo "fpo.exe smoke test passed"
