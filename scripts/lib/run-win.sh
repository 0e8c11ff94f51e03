#!/usr/bin/env bash
# Runs the Win32 unit tests of a win build inside an X server that xvfb-run
# made: windows of their own (the counter window) and message boxes need a
# display under Wine. One test at a time: every test process shares the
# terminal's drive C: and registry. A test counts as it ran the first time.
set -u
source "$(dirname "$0")/common.sh"
dir=$1
wine_start "$dir/wineprefix"
(cd "$dir" && ctest --output-on-failure --timeout 300 -LE e2e)
rc=$?
wine_stop
exit $rc
