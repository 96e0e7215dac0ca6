#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: in the normal
# build and in the ASan + UBSan build. Tests that need a display start their
# own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j2)
scripts/test-package.sh build  # the .deb; installed and tested only in CI
scripts/build.sh build-asan -DORUNA_SANITIZE=ON -DORUNA_BUILD_BENCH=OFF
# Leaks are checked too; tests/lsan.supp names the system libraries whose
# process-lifetime allocations are not ours to fix.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j2)
scripts/test-windows.sh  # the Windows build, tested under Wine
