#!/usr/bin/env bash
# The import on a disk that fills up: the write error's alert, "Quit", exit
# code 1 with the error text on the restored terminal, and every table of
# \ZOZ as it was before the import.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_demo
tables=(S_UPS.DBF S_CTR.DBF S_SS.DBF S_IPU.DBF S_VPA.DBF CTL.DBF)
# Files may grow to 2 KiB only, and a write past that fails (no signal).
tmux_start "cd '$zoz' && trap '' XFSZ && ulimit -f 2 && FPO_DRIVE_C='$SMOKE_DIR/drive' '$fpo'"
fpo_to_menu
before=$(cd "$zoz" && md5sum "${tables[@]}")
fpo_import_to_complement
fpo_import_complement 37
tmux_wait_for "Write error"
tmux_wait_for "Quit"
tmux_keys Enter
code=$(tmux_wait_exit)
[[ $code == 1 ]] || fail "Quit: exit code $code"
shown=$(tmux_capture)
grep -q "^Error DBFNTX/1011 .*Write error" <<<"$shown" || fail "no error text on the terminal: $shown"
# Below the program's last screen, which stays.
last_row=$(grep -n "Atualizar" <<<"$shown" | tail -1 | cut -d: -f1)
error_row=$(grep -n "^Error " <<<"$shown" | head -1 | cut -d: -f1)
[[ -n $last_row && $last_row -lt $error_row ]] || fail "the error text is not below the program's last screen"
[[ $(cd "$zoz" && md5sum "${tables[@]}") == "$before" ]] || fail "a table changed"
[[ ! -e $zoz/S_CNESIA.DBF ]] || fail "S_CNESIA.DBF was made"
echo "full disk smoke test passed"
