#!/usr/bin/env bash
# Builds everything and runs every test: the native tests under ASan/UBSan and
# the Windows-side tests under Wine (code pages 932 and 1252). Ends with CTest's
# summary.
set -euo pipefail
here=$(dirname "$0")
bash "$here/deps.sh"
bash "$here/build.sh"
source "$here/common.sh"
cd "$ZV_BUILD/native"
ctest -j2 --output-on-failure "$@"
