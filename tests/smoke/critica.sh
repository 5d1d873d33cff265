#!/usr/bin/env bash
# The critique from the menu on the demo folder, its national files in \ZOZ:
# every section reaches the report, the last screen asks about printing,
# and the report is printed to a file standing for Lpt1 byte for byte; a
# second critique ended by "Quit" at an error leaves that report as it was.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
fpo_to_menu
tmux_keys M-t
tmux_wait_for "Criticar Cadastros e Programação"
fpo_critique
report="$zoz/CRI0440.211"
tmux_keys Enter
tmux_wait_for "Imprimir?"
[[ -s $SMOKE_DIR/lpt1 ]] || fail "nothing reached the printer"
cmp -s "$SMOKE_DIR/lpt1" "$report" || fail "the printer did not get the report byte for byte"
tmux_keys Right
sleep 0.2
tmux_keys Enter
tmux_wait_gone "Imprimir?"
tmux_wait_for "Comparar cadastros e programação com arquivos do BD_NAC"
fpo_quit
fpo_critique_quit
