#!/usr/bin/env bash
# The start-up's recovery in a real terminal: a journal it cannot trust is
# set aside with the alert, and a second program beside the first leaves
# the folder's temporary files to the start-up that runs alone.
fpo=$(realpath "$1")
build=$(realpath "$2")
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/fpo.bash"

fpo_check_recovery
echo "recovery smoke test passed"
