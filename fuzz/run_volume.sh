#!/usr/bin/env bash
# Runs one libFuzzer target until a given number of executions has been
# reached in total, over several instances at once, and prints the figure.
#
# Each instance fuzzes in rounds of at most ROUND seconds over the shared
# corpus folder, so that every new round starts from what the other instances
# found. The total is the sum of libFuzzer's own count
# (stat::number_of_executed_units) over all rounds; a round that ends without
# final stats (killed) is counted by its last progress line. The first finding
# (crash, timeout, out-of-memory, sanitizer report) ends every instance and
# the script exits 1; the artifact is in the work folder.
#
# usage: fuzz/run_volume.sh BINARY CORPUS EXECUTIONS [INSTANCES]
# env:   SARVANE_FUZZ_WORK   work folder for logs and artifacts
#                            (default build/fuzz-volume/<target>-<UTC time>)
#        SARVANE_FUZZ_ROUND  seconds per round (default 1200)
# e.g.:  fuzz/run_volume.sh build/fuzz/fuzz/fuzz_open_document /tmp/corpus 10000000
set -euo pipefail

if [ $# -lt 3 ]; then
  sed -n '/^# usage:/,/^# e\.g\.:/p' "$0" >&2
  exit 2
fi
binary=$(realpath "$1")
corpus=$(realpath "$2")
wanted=$3
instances=${4:-$(nproc)}
round=${SARVANE_FUZZ_ROUND:-1200}
target=$(basename "$binary")
root=$(cd "$(dirname "$0")/.." && pwd)
work=${SARVANE_FUZZ_WORK:-$root/build/fuzz-volume/$target-$(date -u +%Y%m%dT%H%M%SZ)}

[ -x "$binary" ] || { echo "run_volume: $binary is not an executable" >&2; exit 2; }
[ -d "$corpus" ] || { echo "run_volume: $corpus is not a folder" >&2; exit 2; }
[[ $wanted =~ ^[1-9][0-9]*$ ]] || { echo "run_volume: EXECUTIONS must be a positive number" >&2; exit 2; }
[[ $instances =~ ^[1-9][0-9]*$ ]] || { echo "run_volume: INSTANCES must be a positive number" >&2; exit 2; }
mkdir -p "$work/artifacts"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

# Executions of one round's log: the final stats, else the last "#N" progress line.
executions_of() {
  local n
  n=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$1" | awk '{print $2}' | tail -1)
  [ -n "$n" ] || n=$(grep -o '^#[0-9]*' "$1" | tail -1 | tr -d '#')
  echo "${n:-0}"
}

finding_in() {
  grep -q -E 'ERROR: (libFuzzer|AddressSanitizer|UndefinedBehaviorSanitizer)|runtime error:|==[0-9]+==ERROR' "$1"
}

# One instance: rounds until its share is done or any instance has a finding.
run_instance() {
  local id=$1 share=$2 done_here=0 r=0 log n
  while [ "$done_here" -lt "$share" ] && [ ! -e "$work/finding" ] && [ ! -e "$work/stop" ]; do
    r=$((r + 1))
    log="$work/i$id-r$r.log"
    nice -n 19 "$binary" -runs=$((share - done_here)) -max_total_time="$round" \
      -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/i$id-r$r-" "$corpus" >"$log" 2>&1 || true
    n=$(executions_of "$log")
    done_here=$((done_here + n))
    if finding_in "$log"; then
      echo "$log" >"$work/finding"
      # The other instances end their rounds now, with their final stats.
      pkill -INT -f -- "-artifact_prefix=$work/" || true
    elif [ "$n" -eq 0 ] && [ ! -e "$work/finding" ] && [ ! -e "$work/stop" ]; then
      # Not interrupted, yet nothing ran: the target or the corpus is unusable.
      echo "run_volume: round $log executed nothing; stopping" >&2
      echo "$log" >"$work/finding"
    fi
  done
  return 0
}

share=$(((wanted + instances - 1) / instances))
echo "run_volume: $target, $instances x $share executions, rounds of ${round}s, logs in $work" >&2
started=$(date -u +%H:%M)
# Interrupted: the running rounds end with their final stats and are counted.
trap 'touch "$work/stop"; pkill -INT -f -- "-artifact_prefix=$work/" || true' INT TERM
pids=()
for i in $(seq 1 "$instances"); do
  run_instance "$i" "$share" &
  pids+=($!)
done
for pid in "${pids[@]}"; do
  while kill -0 "$pid" 2>/dev/null; do wait "$pid" || true; done
done

total=0
for i in $(seq 1 "$instances"); do
  line="instance $i:"
  sum=0
  r=1
  while [ -e "$work/i$i-r$r.log" ]; do
    n=$(executions_of "$work/i$i-r$r.log")
    r=$((r + 1))
    line="$line $n"
    sum=$((sum + n))
  done
  echo "$line = $sum"
  total=$((total + sum))
done
echo "$target: $total executions from $started to $(date -u +%H:%M) UTC, corpus now $(find "$corpus" -maxdepth 1 -type f | wc -l) files"
if [ -e "$work/finding" ]; then
  echo "finding: $(cat "$work/finding")"
  ls "$work/artifacts"
  exit 1
fi
if [ -e "$work/stop" ]; then
  echo "interrupted: $total of $wanted executions, no finding so far"
  exit 130
fi
echo "no finding"
