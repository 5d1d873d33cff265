#!/usr/bin/env bash
# The production report and the update listing from the menu on the demo
# folder; the report is printed to a file standing for Lpt1.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
fpo_to_menu
tmux_keys M-r
tmux_wait_for "Produção das Unidades"
tmux_keys Enter
tmux_wait_for "Imprimir?"
tmux_keys Enter
tmux_wait_gone "Imprimir?"
[[ -s $SMOKE_DIR/lpt1 ]] || fail "nothing reached the printer"
cmp -s "$SMOKE_DIR/lpt1" "$zoz/PABFAE.PRN" || fail "the printer did not get the report byte for byte"
head -c 2 "$zoz/PABFAE.PRN" | od -c | grep -q '\\r  \\n' || fail "the report does not begin with CR LF"
grep -qa "ESTADO DO LUMEA" "$zoz/PABFAE.PRN" || fail "no page header"

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
tmux_keys Escape
tmux_wait_gone "Data Atualizacao"
fpo_quit
echo "reports smoke test passed"
