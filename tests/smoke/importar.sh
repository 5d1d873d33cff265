#!/usr/bin/env bash
# A whole import from the menu on the demo folder: municipality 0440 and a
# complement of 37%, then the exit; every table the import wrote is read by
# an independent dBASE reader. Then the refusal in a folder named with
# accents.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
fpo_to_menu
fpo_import
fpo_quit

if /usr/bin/python3 -c 'import dbfread' 2>/dev/null; then
  fpo_check_import_tables
fi
# Started in a folder named with accents, the import refuses, naming the
# folder in its letters.
fpo_check_folder_refusal "FPO_DRIVE_C='$SMOKE_DIR/drive' '$fpo'"
echo "import smoke test passed"
