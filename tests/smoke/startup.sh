#!/usr/bin/env bash
# The program on a demo \ZOZ folder: start, period, the three notices, the
# menu, Esc and "Sim" at the exit confirmation; exit code 0. Then the two
# other ways out of the entry: the cancel key, and "Quit" in the error
# policy's alert with the error output on the restored terminal.
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

period() {
  tmux_wait_for "Data de Referência (AAAAMM)"
  tmux_type "202211"
  tmux_wait_for "Confirma Data: 202211"
  tmux_keys Enter
}

# Alt-C at a notice: the chain of active routines, exit code 0.
fpo_start
period
tmux_wait_for "Novidade"
tmux_keys M-c
code=$(tmux_wait_exit)
[[ $code == 0 ]] || fail "cancel key: exit code $code"
[[ $(head -1 "$SMOKE_DIR/stderr") == "Cancelled at: MENU ("*")" ]] || fail "cancel key wrote: $(cat "$SMOKE_DIR/stderr")"

# Without ZOZ's control record the period dialog's read of it is a run-time
# error; "Quit" ends with exit code 1, and the error text and the call chain
# show on the terminal after the program has given it back, below its last
# screen.
fpo_demo
rm "$zoz/S_CTR.DBF"
tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' '$fpo'"
period
tmux_wait_for "CTR_MVM"
tmux_wait_for "Quit"
tmux_keys Enter
code=$(tmux_wait_exit)
[[ $code == 1 ]] || fail "Quit: exit code $code"
shown=$(tmux_capture)
grep -q "^Error .*CTR_MVM" <<<"$shown" || fail "no error text on the terminal"
# Each level with the line of the step it stood at: DATREF reading the
# control record, MENU calling DATREF (the step marks precede them).
src="$(dirname "$0")/../../src/app"
at() { echo $(($(grep -nF -- "$2" "$src/$1" | head -1 | cut -d: -f1) - 1)); }
grep -qF "Called from DATREF($(at funcoes/datref.cpp 'campoTexto(s, "CTR_MVM")'))" <<<"$shown" \
  || fail "DATREF is not at the reading of the control record"
grep -qF "Called from MENU($(at menu/menu.cpp '  DATREF(s);'))" <<<"$shown" || fail "MENU is not at its call of DATREF"
# Below the program's last screen, which stays.
last_row=$(grep -n "░░░░" <<<"$shown" | tail -1 | cut -d: -f1)
error_row=$(grep -n "^Error " <<<"$shown" | head -1 | cut -d: -f1)
[[ -n $last_row && $last_row -lt $error_row ]] || fail "the error text is not below the program's last screen"
echo "startup smoke test passed"
