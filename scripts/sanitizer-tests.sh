#!/usr/bin/env bash
# Builds the report and data libraries with AddressSanitizer and UndefinedBehaviorSanitizer
# in a build folder of their own and runs their tests and the fuzz seeds (ctest label
# sanitize). `.ci/run` calls it after `./test`; its arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
BUILD_DIR=${SANITIZE_BUILD_DIR:-build-sanitize}
# -O1 keeps the stacks readable and the run fast enough.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG" \
  -DORVALIS_SANITIZE=ON -DORVALIS_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" --target sanitize_tests
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" -L sanitize --output-on-failure -j "$(nproc)" "$@"
