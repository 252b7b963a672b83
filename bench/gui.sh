#!/usr/bin/env bash
# A contents run over the large text in the main window (offscreen) timed
# beside tekstovar-cli on the same file, and the longest time the window's
# thread was kept from its events.
#
#   bench/gui.sh
#
# Environment:
#   TEKSTOVAR_CLI       tekstovar-cli to time
#   TEKSTOVAR_GUIBENCH  the window's timer (tekstovar-guibench); by default
#                       the one beside TEKSTOVAR_CLI. With neither set, both
#                       are brought up to date in build-bench first (Release,
#                       -DTEKSTOVAR_GUI_BENCH=ON).
#   BENCH_RUNS          timed runs of each, the median is reported (5)
#   BENCH_BIG_MB        size of the text in MB of 2^20 bytes (100)
#   BENCH_SEED          generator seed (1251)
#
# Targets: the window's median at most 1.1 x tekstovar-cli's, and no block
# of the window's thread longer than 20 ms in any run. The report goes to
# standard output and to bench/results/gui-latest.txt. Exit status 0 when
# the run completed (targets met or not), 1 when the window's file differs
# from tekstovar-cli's, 2 when a tool failed or something is missing.

SCRIPT=gui.sh
ROOT_DIR=$(cd "$(dirname "$0")/.." && pwd)
if [[ -z ${TEKSTOVAR_CLI:-} && -z ${TEKSTOVAR_GUIBENCH:-} ]]; then
    printf 'building tekstovar-cli and tekstovar-guibench in build-bench\n' >&2
    (cd "$ROOT_DIR" &&
        cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTEKSTOVAR_TESTS=OFF -DTEKSTOVAR_GUI_BENCH=ON &&
        cmake --build build-bench -j"$(nproc)" --target tekstovar-cli tekstovar-guibench) >&2 ||
        { printf '%s: the build failed\n' "$SCRIPT" >&2; exit 2; }
    export TEKSTOVAR_CLI=$ROOT_DIR/build-bench/bin/tekstovar-cli
fi
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
GUIBENCH=${TEKSTOVAR_GUIBENCH:-$(dirname "$CLI")/tekstovar-guibench}
[[ -x $GUIBENCH ]] || die "$GUIBENCH is not an executable (configure with -DTEKSTOVAR_GUI_BENCH=ON)"
BIG_MB=${BENCH_BIG_MB:-100}
need_tools cmp awk
ensure_text "$BIG_MB"
BIG=$(text_file "$BIG_MB")
WORD_FROM=который
WORD_TO=которые
TARGET_RATIO=1.1
TARGET_BLOCK_MS=20

OUT=$(mktemp -d "${TMPDIR:-/tmp}/tekstovar-gui.XXXXXX")
trap 'rm -rf "$OUT"' EXIT

median() { tr ' ' '\n' | sort -g | awk 'NF {v[++n]=$1} END {if (n%2) print v[(n+1)/2]; else print (v[n/2]+v[n/2+1])/2}'; }

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
gui_times="" cli_times="" blocks="" longest=0
run_gui() {
    local line
    line=$("$GUIBENCH" "$OUT/gui.txt" "$WORD_FROM" "$WORD_TO" 2> "$OUT/gui.err") ||
        { cat "$OUT/gui.err" >&2; die "tekstovar-guibench failed"; }
    [[ $line =~ seconds=([0-9.]+)\ longest_block_ms=([0-9]+) ]] || die "tekstovar-guibench said: $line"
    gui_times+="${BASH_REMATCH[1]} "
    blocks+="${BASH_REMATCH[2]} "
    if (( BASH_REMATCH[2] > longest )); then longest=${BASH_REMATCH[2]}; fi
}
run_cli() {
    local t0 t1
    t0=$(date +%s%N)
    "$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN "$OUT/cli.txt" > /dev/null 2> "$OUT/cli.err" ||
        { cat "$OUT/cli.err" >&2; die "tekstovar-cli failed"; }
    t1=$(date +%s%N)
    cli_times+="$(awk -v n=$((t1 - t0)) 'BEGIN {printf "%.3f", n / 1e9}') "
}
for ((i = 1; i <= RUNS; i++)); do
    log "round $i/$RUNS"
    # Each from the original file, on the disk before the clock starts. The
    # one to go first alternates: right after the copies the machine is not
    # the same as a moment later (page cache, memory handed back by the
    # host), and neither tool should have the better place every time.
    cp "$BIG" "$OUT/gui.txt"; cp "$BIG" "$OUT/cli.txt"; sync
    if (( i % 2 )); then run_gui; run_cli; else run_cli; run_gui; fi
    if ! cmp -s "$OUT/gui.txt" "$OUT/cli.txt"; then
        log "the window's result differs from tekstovar-cli's"
        exit 1
    fi
done
g=$(echo "$gui_times" | median)
c=$(echo "$cli_times" | median)
ratio=$(awk -v g="$g" -v c="$c" 'BEGIN {printf "%.2f", g / c}')
verdict() { if awk -v a="$1" -v b="$2" 'BEGIN {exit !(a <= b)}'; then echo MET; else echo "NOT MET"; fi; }

{
    echo "the window's run beside tekstovar-cli  $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "tree:    $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')$(git -C "$ROOT" diff --quiet HEAD -- src 2>/dev/null || echo ' (src modified)')"
    echo "binary:  $CLI, $GUIBENCH"
    echo "text:    ${BIG_MB} MB = $(stat -c %s "$BIG") bytes (bench/data/$(basename "$BIG")), $WORD_FROM -> $WORD_TO, --from WIN, no backups"
    echo "load:    $LOAD_BEFORE before, $(cut -d' ' -f1-3 /proc/loadavg) after (1/5/15-minute load averages)"
    echo "runs:    $RUNS of each, in turn (which goes first alternates); the window timed from the click to idle, tekstovar-cli from start to exit"
    echo
    printf 'window run (median of %s):    %.3f s   all: %s\n' "$RUNS" "$g" "$gui_times"
    printf 'tekstovar-cli on the file:     %.3f s   all: %s\n' "$c" "$cli_times"
    printf 'ratio window / cli:            %s (target <= %s)\n' "$ratio" "$TARGET_RATIO"
    printf 'longest UI block:              %s ms (target <= %s ms; each run: %s)\n' "$longest" "$TARGET_BLOCK_MS" "$blocks"
    echo "results: the window's file equal to tekstovar-cli's (cmp) in every run"
    echo
    echo "== Targets =="
    printf '  %-8s window <= %s x tekstovar-cli   %s\n' "$(verdict "$ratio" "$TARGET_RATIO")" "$TARGET_RATIO" "$ratio"
    printf '  %-8s UI block <= %s ms             %s ms\n' "$(verdict "$longest" "$TARGET_BLOCK_MS")" "$TARGET_BLOCK_MS" "$longest"
} > "$OUT/report"
cp "$OUT/report" "$RESULTS/gui-latest.txt"
cat "$OUT/report"
