# The start of the smoke tests under wine: source it first, with the script's
# arguments (fpo.exe and the Windows build folder). It sets fpo and build,
# sources lib.bash and fpo.bash, runs wine in the private prefix of the
# build (unless WINEPREFIX names one) with more time for each wait (wine
# starts programs more slowly; SMOKE_TRIES_WINE), and makes the demo folder
# with fpo_demo.exe. The .bash suffix keeps it out of the scripts that
# scripts/build-windows runs (*.sh).
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "${BASH_SOURCE[0]}")/../lib.bash"
source "$(dirname "${BASH_SOURCE[0]}")/../fpo.bash"
export WINEPREFIX=${WINEPREFIX:-$build/wine} WINEDEBUG=-all
SMOKE_TRIES=${SMOKE_TRIES_WINE:-400}

# fpo.bash's, with the Windows program: a fresh demo folder; $zoz is its \ZOZ.
fpo_demo() {
  rm -rf "$SMOKE_DIR/drive"
  wine "$build/fpo_demo.exe" "$SMOKE_DIR/drive" >/dev/null
  zoz="$SMOKE_DIR/drive/ZOZ"
  [[ -f $zoz/S_CTR.DBF ]] || fail "fpo_demo.exe made no demo folder"
}
