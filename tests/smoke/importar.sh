#!/usr/bin/env bash
# A whole import from the menu on the demo folder: municipality 0440 and a
# complement of 37%, then the exit; every table the import wrote is read by
# an independent dBASE reader.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_start
fpo_to_menu
fpo_import
fpo_quit

if /usr/bin/python3 -c 'import dbfread' 2>/dev/null; then
  /usr/bin/python3 - "$zoz" <<'PY' || fail "dbfread could not read the tables"
import sys, os, dbfread
zoz = sys.argv[1]
for name in ("S_UPS.DBF", "S_IPU.DBF", "S_CNESIA.DBF", "CTL.DBF", "S_VPA.DBF", "S_CTR.DBF", "S_SS.DBF"):
    rows = list(dbfread.DBF(os.path.join(zoz, name), encoding="cp860", char_decode_errors="strict"))
    assert rows, name
ctl = list(dbfread.DBF(os.path.join(zoz, "CTL.DBF")))
assert any(r["DATREF"] == 202211 and r["CODMNC"] == 440 for r in ctl), ctl
PY
fi
echo "import smoke test passed"
