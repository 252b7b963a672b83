#!/bin/sh
# A 100 MB contents run in the main window (offscreen) against tekstovar-cli
# on the same file, and the longest time the window's thread was blocked.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTEKSTOVAR_TESTS=OFF -DTEKSTOVAR_GUI_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" --target tekstovar-cli tekstovar-guibench >/dev/null
text=$(ls bench/data/text-100mb-*.txt 2>/dev/null | head -n 1)
if [ -z "$text" ]; then
  echo "no 100 MB text yet: run bench/run.sh once first" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=${BENCH_RUNS:-5}
gui_times=""
cli_times=""
longest=0
i=0
while [ "$i" -lt "$runs" ]; do
  cp "$text" "$work/gui.txt"; cp "$text" "$work/cli.txt"; sync
  line=$(build-bench/bin/tekstovar-guibench "$work/gui.txt" 'который' 'которые')
  gui_times="$gui_times $(echo "$line" | sed 's/.*seconds=\([0-9.]*\).*/\1/')"
  block=$(echo "$line" | sed 's/.*longest_block_ms=\([0-9]*\).*/\1/')
  [ "$block" -gt "$longest" ] && longest=$block
  start=$(date +%s.%N)
  build-bench/bin/tekstovar-cli -s 'который' -r 'которые' --from WIN "$work/cli.txt" >/dev/null 2>&1
  end=$(date +%s.%N)
  cli_times="$cli_times $(echo "$end - $start" | bc -l)"
  cmp "$work/gui.txt" "$work/cli.txt" >/dev/null || { echo "the window's result differs from tekstovar-cli's" >&2; exit 1; }
  i=$((i + 1))
done
median() { printf '%s\n' $1 | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
g=$(median "$gui_times"); c=$(median "$cli_times")
printf 'window run (median of %s): %.3f s\ntekstovar-cli on the file:   %.3f s\nratio window / cli:          %.2f (target <= 1.2)\nlongest UI block:            %s ms\n' \
  "$runs" "$g" "$c" "$(echo "$g / $c" | bc -l)" "$longest"
