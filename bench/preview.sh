#!/usr/bin/env bash
# A preview (tekstovar-cli --dry-run, and --diff) of the large text as a file,
# timed beside the real run that follows it.
#
#   bench/preview.sh
#
# Environment: TEKSTOVAR_CLI, BENCH_RUNS, BENCH_BIG_MB, BENCH_SEED as for
# run.sh. The report goes to standard output and to
# bench/results/preview-latest.txt. Exit status 1 when the preview's lines
# differ from the run's.

SCRIPT=preview.sh
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
BIG_MB=${BENCH_BIG_MB:-100}
need_tools cmp awk
ensure_text "$BIG_MB"
BIG=$(text_file "$BIG_MB")
WORD_FROM=который
WORD_TO=которые

OUT=$(mktemp -d "${TMPDIR:-/tmp}/tekstovar-preview.XXXXXX")
trap 'rm -rf "$OUT"' EXIT
FILE=$OUT/big.txt

# Each timed run starts from the original file: a run rewrites it.
timed() { # MODE...
    cp "$BIG" "$FILE"
    sync "$FILE"
    local t0 t1
    t0=$(date +%s%N)
    "$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN "$@" "$FILE" > "$OUT/out" 2> "$OUT/err" || true
    t1=$(date +%s%N)
    echo $(( t1 - t0 ))
}
median() { tr ' ' '\n' | sort -g | awk 'NF {v[++n]=$1} END {if (n%2) print v[(n+1)/2]; else print (v[n/2]+v[n/2+1])/2}'; }

declare -A TIMES
for mode in run dry diff; do TIMES[$mode]=""; done
MISMATCH=0
cp "$BIG" "$FILE"; "$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN --dry-run "$FILE" > "$OUT/dry.lines"
cp "$BIG" "$FILE"; "$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN "$FILE" > "$OUT/run.lines"
cmp -s "$OUT/dry.lines" "$OUT/run.lines" || MISMATCH=1
for ((r = 1; r <= RUNS; r++)); do
    log "round $r/$RUNS"
    TIMES[run]+="$(timed) "
    TIMES[dry]+="$(timed --dry-run) "
    TIMES[diff]+="$(timed --diff) "
done
sec() { echo "${TIMES[$1]}" | median | awk '{printf "%.3f", $1 / 1e9}'; }
RUN=$(sec run); DRY=$(sec dry); DIFF=$(sec diff)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
{
    echo "tekstovar-cli preview  $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "tree:    $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')"
    echo "text:    ${BIG_MB} MB as one file; -s $WORD_FROM -r $WORD_TO --from WIN; $RUNS runs, median"
    printf '  %-22s %8s s\n' "run (writes the file)" "$RUN"
    printf '  %-22s %8s s   %s x the run\n' "--dry-run" "$DRY" "$(ratio "$DRY" "$RUN")"
    printf '  %-22s %8s s   %s x the run (diff to a file)\n' "--diff" "$DIFF" "$(ratio "$DIFF" "$RUN")"
    if awk -v a="$DRY" -v b="$RUN" 'BEGIN { exit !(a <= 1.2 * b) }'; then ok=MET; else ok="NOT MET"; fi
    echo "target:  a preview no longer than 1.2 x the run: $ok"
    [[ $MISMATCH == 0 ]] && echo "lines:   the preview's equal the run's" || echo "lines:   DIFFER from the run's"
} > "$OUT/report"
cp "$OUT/report" "$RESULTS/preview-latest.txt"
cat "$OUT/report"
exit "$MISMATCH"
