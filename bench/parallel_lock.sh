#!/usr/bin/env bash
# How sarvane-cli lock scales over processors: COPIES copies of a PAGES-page
# document locked in one run with --jobs 1 and with --jobs JOBS. Prints the
# wall and CPU time of each and the ratio of the wall times. CPU time that
# grows with JOBS means the jobs wait for each other; wall time that does
# not shrink with equal CPU time means the machine had no idle processor.
#
# usage: bench/parallel_lock.sh [PAGES] [COPIES] [JOBS]   (defaults 2000, 100, 2)
# env:   SARVANE_BENCH_BUILD  build folder (default build/bench-release)
set -euo pipefail

pages=${1:-2000}
copies=${2:-100}
jobs=${3:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
[ -x /usr/bin/time ] || { echo "parallel_lock: /usr/bin/time is missing (Debian package 'time')" >&2; exit 1; }

cli=$("$root/bench/release_cli.sh")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/home"
python3 "$root/bench/make_big_pdf.py" "$work/doc.pdf" "$pages"
for ((i = 0; i < copies; i++)); do cp "$work/doc.pdf" "$work/in/c$i.pdf"; done
echo "input: $copies copies of $pages pages, $(stat -c %s "$work/doc.pdf") bytes each; load $(cut -d' ' -f1-3 /proc/loadavg)" >&2

declare -A wall
for j in 1 "$jobs"; do
  rm -f "$work/out"/*
  SARVANE_HOME=$work/home /usr/bin/time -f "%e %U %S" -o "$work/time" \
    "$cli" lock --jobs "$j" --owner o --user u --out "$work/out" "$work"/in/*.pdf 2>/dev/null
  read -r secs user sys <"$work/time"
  wall[$j]=$secs
  echo "--jobs $j: ${secs} s wall, $(awk "BEGIN {print $user + $sys}") s CPU"
done
echo "ratio --jobs 1 / --jobs $jobs: $(awk "BEGIN {printf \"%.2f\", ${wall[1]} / ${wall[$jobs]}}")"
