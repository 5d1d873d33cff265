#!/usr/bin/env bash
# The production report and the two listings from the menu on the demo
# folder; the report is printed to a file standing for Lpt1. A link to a
# file outside \ZOZ stands where the report goes: the report replaces the
# link, and the file it named is left as it was.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
echo "outside" >"$SMOKE_DIR/outside"
ln -s "$SMOKE_DIR/outside" "$zoz/PABFAE.PRN"
fpo_to_menu
tmux_keys M-r
tmux_wait_for "Produção das Unidades"
tmux_keys Enter
tmux_wait_for "Imprimir?"
tmux_keys Enter
tmux_wait_gone "Imprimir?"
fpo_check_report "$SMOKE_DIR/lpt1"
[[ ! -L $zoz/PABFAE.PRN ]] || fail "the report was written through the link"
[[ $(cat "$SMOKE_DIR/outside") == outside ]] || fail "the file outside \ZOZ was written"

# A pull-down drops keys typed ahead: one key at a time.
tmux_keys Left
tmux_wait_for "Verificar Críticas Realizadas"
tmux_keys Left
tmux_wait_for "Verificar Atualizações"
tmux_keys Down
sleep 0.2
tmux_keys Enter
tmux_wait_for "Data Atualizacao"
tmux_wait_for "Pesquisa:"
tmux_type "FOR"
tmux_wait_for "Pesquisa: FOR"
tmux_keys Escape
tmux_wait_gone "Data Atualizacao"

# The critique listing, in the pull-down of the next bar item.
tmux_keys Right
tmux_wait_for "Verificar Críticas Realizadas"
tmux_keys Down
sleep 0.2
tmux_keys Enter
tmux_wait_for "Data Crítica"
tmux_wait_for "Status"
tmux_keys Escape
tmux_wait_gone "Data Crítica"
fpo_quit
echo "reports smoke test passed"
