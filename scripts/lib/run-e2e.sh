#!/usr/bin/env bash
# Runs the e2e tests of a win build inside an X server that xvfb-run made:
# the Wine desktop and every program of the test see this display. The
# terminal is made anew for each run, as a fresh terminal is: a new Wine
# prefix holding no folder that the product does not make itself (no
# "\Temp" that an earlier tier left). A test counts as it ran the first time.
set -u
source "$(dirname "$0")/common.sh"
dir=$1
export SARNU_WINEPREFIX=$dir/wineprefix-e2e
rm -rf "$SARNU_WINEPREFIX"
wine_start "$SARNU_WINEPREFIX"
# The benchmarks run verbosely, so that their figures reach the log.
(cd "$dir" && ctest --output-on-failure --timeout 300 -L e2e -LE bench)
rc=$?
(cd "$dir" && ctest --output-on-failure --timeout 300 -L bench -V) || rc=1
wine_stop
exit $rc
