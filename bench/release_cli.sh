#!/usr/bin/env bash
# Builds sarvane-cli for the benchmarks (Release, no sanitizers, no window)
# and prints the executable's path.
#
# env: SARVANE_BENCH_BUILD  build folder (default build/bench-release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SARVANE_BENCH_BUILD:-$root/build/bench-release}
echo "building sarvane-cli (Release) in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARVANE_SANITIZE=OFF \
  -DSARVANE_BENCH=OFF -DSARVANE_GUI=OFF >/dev/null
cmake --build "$build" --target sarvane-cli -j2 >/dev/null
echo "$build/cli/sarvane-cli"
