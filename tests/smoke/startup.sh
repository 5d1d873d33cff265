#!/usr/bin/env bash
# The program on a demo \ZOZ folder: start, period, the three notices, the
# menu, Esc and "Sim" at the exit confirmation; exit code 0.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
tmux_wait_for "Data de Referência (AAAAMM)"
tmux_capture | head -1 | grep -qF "· Atualização da Ficha de Programação Orçamentaria-FPO dos Municípios em Gestão" \
  || fail "title row"
tmux_type "202211"
tmux_wait_for "Confirma Data: 202211"
tmux_keys Enter
tmux_wait_for "Novidade"
tmux_capture | sed -n 2p | grep -qF "Referência: 2022/11" || fail "period in the header"
tmux_keys Space Escape
sleep 0.2
tmux_capture | grep -qF "Novidade" || fail "a key other than Enter left the notice"
tmux_keys Enter
tmux_wait_for "Atencao !! Informe Sobre Exames de Dialise."
tmux_keys Enter
tmux_wait_for "Etapas para Processamento do ZOZ"
tmux_keys Enter
tmux_wait_for "Pressione F10 ou ALT-(Letra Destacada) para ativar o menu..."
tmux_keys F10
tmux_wait_for "Atualizar Cadastros e Programação"
tmux_keys Right
tmux_wait_for "Criticar Cadastros e Programação"
fpo_quit
[[ -f $zoz/CTL.DBF ]] || fail "no CTL.DBF"
echo "startup smoke test passed"
