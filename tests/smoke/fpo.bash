# The program on a fresh demo \ZOZ folder, for the smoke tests. Source after
# lib.bash, with fpo and build set to the program and the build folder.
#
#   fpo_demo             builds a fresh demo folder; $zoz is its \ZOZ
#   fpo_start [ENV...]   fpo_demo, then fpo_run
#   fpo_run [ENV...]     starts the program in $zoz, in the window of
#                        tmux_session, with its error output in $fpo_stderr
#                        (default $SMOKE_DIR/stderr); $SMOKE_DIR/lpt1 stands
#                        for Lpt1
#   fpo_to_menu          the period 2022/11 and the three notices
#   fpo_import_to_complement
#                        Alt-I, Enter, municipality 0440 confirmed: the
#                        complement prompt is up
#   fpo_import_complement PCT
#                        the complement typed and confirmed
#   fpo_import           a whole import with 37%, back at the menu
#   fpo_critique         from the open "Crítica" pull-down, the critique of
#                        0440 to its printing question
#   fpo_critique_quit    after a critique, a second one stopped by "Quit" at
#                        an error while it writes the report: the earlier
#                        report as it was
#   fpo_quit             Esc and "Sim" at the menu; exit code 0, no error output
#   fpo_menu_quit        F10 at the menu, then fpo_quit
#   fpo_check_recovery   a fresh demo folder: the start-up with a journal it
#                        cannot trust, then a second program on the folder
#                        beside the first
#   fpo_check_folder_refusal START
#                        in a folder named with accents beside $zoz (S_CTR
#                        copied in), the command line START run there brings
#                        the program to the menu; the import refuses, naming
#                        the folder in its letters
#   fpo_check_import_tables
#                        the tables of the demo month's import read back by an
#                        independent dBASE reader (Debian's python3-dbfread)
#   fpo_check_report PRINTED
#                        the production report in $zoz and the file PRINTED
#                        that stood for Lpt1: the same bytes, a whole report

fpo_demo() {
  rm -rf "$SMOKE_DIR/drive"
  "$build/fpo_demo" "$SMOKE_DIR/drive" ${FPO_DEMO_ROWS:-} >/dev/null
  zoz="$SMOKE_DIR/drive/ZOZ"
}

fpo_stderr=$SMOKE_DIR/stderr

fpo_run() {
  tmux_start "cd '$zoz' && FPO_DRIVE_C='$SMOKE_DIR/drive' FPO_LPT1='$SMOKE_DIR/lpt1' $* '$fpo' 2>'$fpo_stderr'"
}

fpo_start() {
  fpo_demo
  fpo_run "$@"
}

fpo_to_menu() {
  tmux_wait_for "Data de Referência (AAAAMM)"
  tmux_type "202211"
  tmux_wait_for "Confirma Data: 202211"
  tmux_keys Enter
  local notice
  for notice in "Novidade" "Atencao !! Informe" "Etapas para Processamento"; do
    tmux_wait_for "$notice"
    tmux_keys Enter
  done
  tmux_wait_for "Pressione F10"
}

fpo_import_to_complement() {
  tmux_keys M-i
  tmux_wait_for "Atualizar Cadastros e Programação"
  tmux_keys Enter
  tmux_wait_for "Entre com o Cod. Município (ENTER p/ Lista)"
  tmux_type "0440"
  tmux_wait_for "Confirma Cod. Município: 0440"
  tmux_keys Enter
  tmux_wait_for "Complemento de:"
}

fpo_import_complement() {
  tmux_type "$1"
  tmux_keys Enter
  tmux_wait_for "Confirma Percentual de Complemento: $(printf '%3d' "$1")%"
  tmux_keys Enter
}

fpo_import() {
  fpo_import_to_complement
  fpo_import_complement 37
  tmux_wait_for "Processo Concluído"
  tmux_keys Enter
  tmux_wait_gone "Processo Concluído"
  tmux_wait_for "Atualizar unidades, mantenedoras"
}

# From the open "Crítica" pull-down: the critique of 0440 with the national
# files in \ZOZ, to its printing question; every section is in the report.
fpo_critique() {
  fpo_critique_sections
  tmux_wait_for "Imprimir?"
  grep -qE "Crítica (com|sem) erros\." <<<"$(tmux_capture)" || fail "no outcome before the printing question"
  local title
  for title in MANTENEDORAS UNIDADES SERVICOS ESPECIALIDADES ORCAMENTO; do
    grep -qa "\*\*\* $title \*\*\*" "$zoz/CRI0440.211" || fail "no $title pages in the critique report"
  done
}

fpo_critique_sections() {
  tmux_keys Enter
  tmux_wait_for "Escolha a unidade"
  tmux_keys Right
  sleep 0.2
  tmux_keys Right
  sleep 0.2
  tmux_keys Enter
  tmux_wait_for "Entre com o Cod. Município (ENTER p/ Lista)"
  tmux_type "0440"
  tmux_wait_for "Confirma Cod. Município: 0440"
  tmux_keys Enter
}

# After a critique: the program started again (fpo_run) with S_EMU.211's
# header damaged, the critique to that table's error and "Quit" there, while
# the report is being written: exit code 1, and the earlier report is as it
# was, nothing left beside it.
fpo_critique_quit() {
  cp "$zoz/CRI0440.211" "$SMOKE_DIR/earlier"
  printf '\xff\xff\x00\x00' | dd of="$zoz/S_EMU.211" bs=1 seek=4 conv=notrunc status=none
  fpo_run
  fpo_to_menu
  tmux_keys M-t
  tmux_wait_for "Criticar Cadastros e Programação"
  fpo_critique_sections
  tmux_wait_for "Corruption detected"
  tmux_keys Enter
  local code
  code=$(tmux_wait_exit)
  [[ $code == 1 ]] || fail "exit code $code after Quit"
  cmp -s "$SMOKE_DIR/earlier" "$zoz/CRI0440.211" || fail "the earlier critique report was not left as it was"
  ! ls -A "$zoz" | grep -v '^\.FPO\.LCK$' | grep -q '^\.' || fail "files left beside the report: $(ls -A "$zoz" | grep '^\.')"
}

fpo_quit() {
  tmux_keys Escape
  tmux_wait_for "Confirma encerramento?"
  tmux_keys Enter
  local code
  code=$(tmux_wait_exit)
  [[ $code == 0 ]] || fail "exit code $code"
  [[ ! -s $fpo_stderr ]] || fail "error output: $(cat "$fpo_stderr")"
}

fpo_check_recovery() {
  # A journal naming a table to be renamed over another: the alert, no table
  # renamed, the journal kept aside.
  fpo_demo
  printf 'S_UPS.DBF\tCTL.DBF\n' >"$zoz/FPO.JNL"
  local ups ctl
  ups=$(md5sum <"$zoz/S_UPS.DBF")
  ctl=$(md5sum <"$zoz/CTL.DBF")
  fpo_run
  tmux_wait_for "Arquivo \ZOZ\FPO.JNL danificado ou desconhecido:"
  tmux_wait_for "guardado como \ZOZ\FPO_D01.JNL, sem alterar tabelas."
  tmux_wait_for "importe o município novamente."
  tmux_keys Enter
  fpo_to_menu
  [[ $(md5sum <"$zoz/S_UPS.DBF") == "$ups" ]] || fail "S_UPS.DBF changed"
  [[ $(md5sum <"$zoz/CTL.DBF") == "$ctl" ]] || fail "CTL.DBF changed"
  [[ -f $zoz/FPO_D01.JNL && ! -e $zoz/FPO.JNL ]] || fail "the journal was not set aside"

  # A second program while the first one runs finds the folder held: it
  # leaves alone a temporary file of a program that ended; the next
  # start-up, alone, removes it.
  printf 'x' >"$zoz/.S_UPS.DBF.99999.0.tmp"
  tmux_session=second fpo_stderr=$SMOKE_DIR/stderr2 fpo_run
  tmux_session=second tmux_wait_for "Data de Referência (AAAAMM)"
  [[ -f $zoz/.S_UPS.DBF.99999.0.tmp ]] || fail "the second program removed a temporary file"
  tmux_session=second fpo_to_menu
  tmux_session=second fpo_stderr=$SMOKE_DIR/stderr2 fpo_menu_quit
  fpo_menu_quit
  fpo_run
  tmux_wait_for "Data de Referência (AAAAMM)"
  [[ ! -e $zoz/.S_UPS.DBF.99999.0.tmp ]] || fail "the start-up left a temporary file of a program that ended"
  fpo_to_menu
  fpo_menu_quit
}

# From the menu waiting for F10: the pull-down opened, then fpo_quit.
fpo_menu_quit() {
  tmux_keys F10
  tmux_wait_for "Atualizar Cadastros e Programação"
  fpo_quit
}

fpo_check_import_tables() {
  /usr/bin/python3 - "$zoz" <<'PY' || fail "dbfread could not read the tables"
import sys, os, dbfread
zoz = sys.argv[1]
for name in ("S_UPS.DBF", "S_IPU.DBF", "S_CNESIA.DBF", "CTL.DBF", "S_VPA.DBF", "S_CTR.DBF", "S_SS.DBF"):
    rows = list(dbfread.DBF(os.path.join(zoz, name), encoding="cp860", char_decode_errors="strict"))
    assert rows, name
ctl = list(dbfread.DBF(os.path.join(zoz, "CTL.DBF")))
assert any(r["DATREF"] == 202211 and r["CODMNC"] == 440 for r in ctl), ctl
PY
}

fpo_check_report() {
  local report="$zoz/PABFAE.PRN"
  [[ -s $1 ]] || fail "nothing reached the printer"
  cmp -s "$1" "$report" || fail "the printer did not get the report byte for byte"
  head -c 2 "$report" | od -c | grep -q '\\r  \\n' || fail "the report does not begin with CR LF"
  grep -qa "ESTADO DO LUMEA" "$report" || fail "no page header"
  grep -qa "TOTAIS ----->" "$report" || fail "no totals line"
  [[ $(tail -c 2 "$report" | od -An -c | tr -d ' ') == '\f\r' ]] || fail "the report does not end with an eject"
}

fpo_check_folder_refusal() {
  # (The period dialog reads S_CTR of the current folder.)
  local folder="$SMOKE_DIR/drive/Saúde Pública"
  mkdir -p "$folder"
  cp "$zoz/S_CTR.DBF" "$folder/"
  tmux_start "cd '$folder' && $1 2>'$fpo_stderr'"
  fpo_to_menu
  tmux_keys M-i
  tmux_wait_for "Atualizar Cadastros e Programação"
  tmux_keys Enter
  tmux_wait_for "Voce esta posicionado no diretorio/pasta (Saúde Pública)."
  tmux_keys Enter
  tmux_wait_gone "Voce esta posicionado"
  fpo_quit
}
