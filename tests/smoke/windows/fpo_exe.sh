#!/usr/bin/env bash
# fpo.exe under wine in tmux on the demo folder: start-up to the menu, a whole
# import read back by an independent dBASE reader, the critique (and a second
# one ended by "Quit" at an error, which leaves the first one's report), the
# production report printed to a file standing for Lpt1, the exit with
# "Sim", the cancel key, a journal the start-up cannot trust and a second
# program beside the first. Run by scripts/build-windows (a wine server of
# WINEPREFIX running). Arguments: fpo.exe and the Windows build folder.
source "$(dirname "$0")/wine.bash" "$@"

# Lpt1 is a file, not named like a device: Windows takes lpt1 for the printer
# port in any folder.
fpo_run() {
  tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' FPO_LPT1='$SMOKE_DIR/printer.out' wine '$fpo' 2>'$fpo_stderr'"
}

fpo_start
fpo_to_menu

# The import of the demo month.
fpo_import

# The critique, not printed, in the next pull-down.
tmux_keys Right
tmux_wait_for "Criticar Cadastros e Programação"
fpo_critique
tmux_keys Right
sleep 0.2
tmux_keys Enter
tmux_wait_gone "Imprimir?"

# The production report, printed, in the next pull-down.
tmux_keys Right
tmux_wait_for "Produção das Unidades"
tmux_keys Enter
tmux_wait_for "Imprimir?"
tmux_keys Enter
tmux_wait_gone "Imprimir?"
fpo_check_report "$SMOKE_DIR/printer.out"

fpo_quit

fpo_check_import_tables

# A second critique ended by "Quit" at an error: the earlier report stays.
fpo_critique_quit

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

fpo_check_recovery
echo "fpo.exe smoke test passed"
