#!/usr/bin/env bash
# The production report and the update listing from the menu on the demo
# folder; the report is printed to a file standing for Lpt1.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"

"$build/fpo_demo" "$SMOKE_DIR/drive" >/dev/null
zoz="$SMOKE_DIR/drive/ZOZ"
tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' FPO_LPT1='$SMOKE_DIR/lpt1' '$fpo' 2>'$SMOKE_DIR/stderr'"

tmux_wait_for "Data de Referência (AAAAMM)"
tmux_type "202211"
tmux_wait_for "Confirma Data: 202211"
tmux_keys Enter
for notice in "Novidade" "Atencao !! Informe" "Etapas para Processamento"; do
  tmux_wait_for "$notice"
  tmux_keys Enter
done
tmux_wait_for "Pressione F10"
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
tmux_keys Escape
tmux_wait_for "Confirma encerramento?"
tmux_keys Enter
code=$(tmux_wait_exit)
[[ $code == 0 ]] || fail "exit code $code"
[[ ! -s $SMOKE_DIR/stderr ]] || fail "error output: $(cat "$SMOKE_DIR/stderr")"
echo "reports smoke test passed"
