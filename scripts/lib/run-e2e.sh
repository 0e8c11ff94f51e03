#!/usr/bin/env bash
# Runs the e2e tests of a win build inside an X server that xvfb-run made:
# the Wine desktop and every program of the test see this display.
set -u
source "$(dirname "$0")/common.sh"
dir=$1
wine_start "$dir/wineprefix"
# A GUI test that fails is run once more before it counts: Wine's focus and
# window timing under a loaded machine can fail a scenario that is sound.
# The benchmarks run verbosely, so that their figures reach the log.
(cd "$dir" && ctest --output-on-failure --timeout 300 -L e2e -LE bench --repeat until-pass:2)
rc=$?
(cd "$dir" && ctest --output-on-failure --timeout 300 -L bench -V) || rc=1
wine_stop
exit $rc
