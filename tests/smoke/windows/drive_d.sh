#!/usr/bin/env bash
# fpo.exe under wine as on an operator's PC, with no FPO_* variable: ZOZ on
# drive D: (a drive of the private wine prefix) and no C:\ZOZ. Folders show
# in their letters (the import's refusal in a folder named with accents) and
# files by the names the program gives them (the listing's index file on C:,
# with its drive). Run by scripts/build-windows. Arguments: fpo.exe and the
# Windows build folder.
source "$(dirname "$0")/wine.bash" "$@"

drive_d="$WINEPREFIX/dosdevices/d:"
trap '_smoke_end; rm -f "$drive_d"' EXIT
[[ ! -e $WINEPREFIX/drive_c/ZOZ ]] || fail "the wine prefix has a C:\\ZOZ"
fpo_demo
ln -sfn "$SMOKE_DIR/drive" "$drive_d"

# In D:\Saúde Pública the import refuses to start, naming the folder.
fpo_check_folder_refusal "wine '$fpo'"

# In D:\ZOZ the update listing cannot make C:\ZOZ\I01CTL.NTX ("Quit").
tmux_start "cd '$zoz' && wine '$fpo' 2>'$SMOKE_DIR/stderr'"
fpo_to_menu
tmux_keys M-i
tmux_wait_for "Verificar Atualizações"
tmux_keys Down
sleep 0.2
tmux_keys Enter
tmux_wait_for "Error DBFNTX/1006  Create error: C:\\ZOZ\\I01CTL.NTX"
tmux_wait_for "(DOS Error 3)"
tmux_keys Enter
code=$(tmux_wait_exit)
[[ $code == 1 ]] || fail "Quit: exit code $code"
grep -qF 'Error DBFNTX/1006  Create error: C:\ZOZ\I01CTL.NTX (DOS Error 3) ' "$SMOKE_DIR/stderr" ||
  fail "error output: $(cat "$SMOKE_DIR/stderr")"
[[ ! -e $WINEPREFIX/drive_c/ZOZ ]] || fail "a C:\\ZOZ was made"
echo "drive D: smoke test passed"
