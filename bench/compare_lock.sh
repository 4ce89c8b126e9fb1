#!/usr/bin/env bash
# Side-by-side: an RC4-128 (or AES-256) locked copy of a many-page document
# written by sarvane-cli (a plain rewrite, and the whole lock job with its
# loads and saves), qpdf and mutool. The runs are interleaved, so that a
# busy machine slows every tool alike. Prints the median wall time and peak
# memory of each, the ratios of the medians, and whether the targets hold:
# rewrite at most 0.5 x mutool, lock at most 1.0 x mutool, peak memory of
# both at most 3 x the input + 20 MiB. Exits 2 when a target is missed.
#
# usage: bench/compare_lock.sh [PAGES] [RUNS]      (defaults 2500 and 7)
# env:   SARVANE_BENCH_BUILD  build folder (default build/bench-release)
#        SARVANE_BENCH_LEVEL  128 (RC4, default) or aes256
set -euo pipefail

pages=${1:-2500}
runs=${2:-7}
root=$(cd "$(dirname "$0")/.." && pwd)

for tool in qpdf mutool python3; do
  command -v "$tool" >/dev/null || { echo "compare_lock: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "compare_lock: /usr/bin/time is missing (Debian package 'time')" >&2; exit 1; }

cli=$("$root/bench/release_cli.sh")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make_big_pdf.py" "$work/in.pdf" "$pages"
echo "input: $pages pages, $(stat -c %s "$work/in.pdf") bytes" >&2

level=${SARVANE_BENCH_LEVEL:-128}
case $level in
  128) qpdf_level="--allow-weak-crypto --encrypt u o 128 --use-aes=n"; mutool_level=rc4-128 ;;
  aes256) qpdf_level="--encrypt u o 256"; mutool_level=aes-256 ;;
  *) echo "compare_lock: SARVANE_BENCH_LEVEL is 128 or aes256" >&2; exit 1 ;;
esac
echo "level: $level" >&2

declare -A cmd
cmd[sarvane]="$cli rewrite --encrypt $level --owner o --user u --deny print $work/in.pdf $work/out-sarvane.pdf"
cmd[qpdf]="qpdf $qpdf_level --print=none -- $work/in.pdf $work/out-qpdf.pdf"
cmd[mutool]="mutool clean -E $mutool_level -O o -U u $work/in.pdf $work/out-mutool.pdf"
mkdir -p "$work/lock-out" "$work/home"
export SARVANE_HOME=$work/home
cmd[lock]="$cli lock --jobs 1 --level $level --owner o --user u --deny print --out $work/lock-out $work/in.pdf"
tools=(sarvane lock qpdf mutool)

# One warm-up run each, so that every tool starts from a warm page cache.
# The lock job reports its progress on stderr; a failure still shows, as
# the checks below fail.
for t in "${tools[@]}"; do ${cmd[$t]} >/dev/null 2>&1 || { echo "compare_lock: $t failed" >&2; exit 1; }; done
qpdf --check --password=u "$work/out-sarvane.pdf" >/dev/null || { echo "compare_lock: sarvane output fails qpdf --check" >&2; exit 1; }

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

declare -A med mem
for t in "${tools[@]}"; do : >"$work/$t.times"; : >"$work/$t.mem"; done
for ((i = 0; i < runs; i++)); do
  for t in "${tools[@]}"; do
    /usr/bin/time -f "%e %M" -o "$work/$t.one" ${cmd[$t]} >/dev/null 2>&1
    read -r secs kb <"$work/$t.one"
    echo "$secs" >>"$work/$t.times"
    echo "$kb" >>"$work/$t.mem"
  done
done
for t in "${tools[@]}"; do
  med[$t]=$(median <"$work/$t.times")
  mem[$t]=$(sort -g "$work/$t.mem" | tail -1)
done
cp "$work/lock-out/in.pdf" "$work/out-lock.pdf"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

printf '%-8s %10s %12s %10s\n' tool "median s" "peak RSS kB" "out bytes"
for t in "${tools[@]}"; do
  printf '%-8s %10s %12s %10s\n' "$t" "${med[$t]}" "${mem[$t]}" "$(stat -c %s "$work/out-$t.pdf")"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
echo "sarvane/qpdf   time $(ratio "${med[sarvane]}" "${med[qpdf]}")   memory $(ratio "${mem[sarvane]}" "${mem[qpdf]}")"
echo "sarvane/mutool time $(ratio "${med[sarvane]}" "${med[mutool]}")   memory $(ratio "${mem[sarvane]}" "${mem[mutool]}")"
echo "lock/mutool    time $(ratio "${med[lock]}" "${med[mutool]}")   memory $(ratio "${mem[lock]}" "${mem[mutool]}")"

missed=0
check() {  # name, value, limit
  if awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }'; then echo "target met:    $1 ($2 <= $3)"
  else echo "target missed: $1 ($2 > $3)"; missed=1; fi
}
limit_kb=$(( (3 * $(stat -c %s "$work/in.pdf")) / 1024 + 20 * 1024 ))
check "rewrite / mutool time" "$(ratio "${med[sarvane]}" "${med[mutool]}")" 0.5
check "lock / mutool time" "$(ratio "${med[lock]}" "${med[mutool]}")" 1.0
check "rewrite peak kB" "${mem[sarvane]}" "$limit_kb"
check "lock peak kB" "${mem[lock]}" "$limit_kb"
exit $((missed * 2))
