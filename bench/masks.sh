#!/usr/bin/env bash
# Search masks whose runs rarely meet what follows them, over 100 KB and
# 1 MB: tekstovar-cli's time and peak memory, and its output compared byte
# for byte with plain matching's (tekstovar-maskbench --plain).
#
#   bench/masks.sh
#
# Environment: BENCH_RUNS (3) timed runs per case; MASKS_TIMEOUT (600)
# seconds before a run counts as too slow; MASKS_PLAIN_MAX (102400) bytes:
# plain matching walks every run in full, quadratic on the texts without a
# match, so above that their output is compared with the input instead
# (nothing can match there: the text lacks the follower's characters) and
# with the fast matcher run by tekstovar-maskbench. TEKSTOVAR_CLI and
# MASKBENCH name other binaries (an older tekstovar-cli, for a before and
# after); by default both are built in build-bench-masks.
#
# Target: under 1 s per MB for every case. Report on standard output and in
# bench/results/masks-latest.txt. Exit status: 0 when every output was as
# expected (met the target or not), 1 on a difference, 2 when a tool failed.
set -euo pipefail
export LC_ALL=C

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$HERE")
DATA=$HERE/data
RESULTS=$HERE/results
RUNS=${BENCH_RUNS:-3}
LIMIT=${MASKS_TIMEOUT:-600}
PLAIN_MAX=${MASKS_PLAIN_MAX:-102400}

die() {
    printf 'masks.sh: %s\n' "$*" >&2
    exit 2
}
[[ $RUNS =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive integer"
[[ -x /usr/bin/time ]] || die "GNU time is missing: apt-get install time"

if [[ -z ${TEKSTOVAR_CLI:-} || -z ${MASKBENCH:-} ]]; then
    (cd "$ROOT" &&
        cmake -S . -B build-bench-masks -DCMAKE_BUILD_TYPE=Release -DTEKSTOVAR_TESTS=OFF -DTEKSTOVAR_GUI=OFF \
            -DTEKSTOVAR_MASK_BENCH=ON &&
        cmake --build build-bench-masks -j2 --target tekstovar-cli tekstovar-maskbench) >&2 ||
        die "the build failed"
fi
CLI=${TEKSTOVAR_CLI:-$ROOT/build-bench-masks/bin/tekstovar-cli}
MASKBENCH=${MASKBENCH:-$ROOT/build-bench-masks/bin/tekstovar-maskbench}

# The texts: "ab" over and over; Russian prose with none of the signs \.
# stands for; the same prose as it is, where \{\*\_\}\. matches every few
# words; "ab" with a "c" now and then; one long word.
mkdir -p "$DATA" "$RESULTS"
GEN_HASH=$(cat "$HERE/gen_text.py" "$0" | sha1sum | cut -c1-10)
prose=$DATA/masks-prose-$GEN_HASH.txt
if [[ ! -s $prose ]]; then
    rm -f "$DATA"/masks-*.txt
    python3 "$HERE/gen_text.py" 2 "$prose.part" --seed 1251 >&2
    mv "$prose.part" "$prose"
fi
text() { # NAME BYTES: the path of that text, made if missing
    local f=$DATA/masks-$1-$2-$GEN_HASH.txt
    if [[ ! -s $f ]]; then
        case $1 in
            ab) python3 -c "import sys; sys.stdout.buffer.write((b'ab' * $2)[:$2])" ;;
            abc) python3 -c "import sys; sys.stdout.buffer.write((b'ab' * 48 + b'ac' + b'ab' * 49)[:200] * ($2 // 200 + 1))" |
                head -c "$2" ;;
            nosigns) tr -d '!"'"'"'(),.:;?-' <"$prose" | head -c "$2" ;;
            prose) head -c "$2" "$prose" ;;
            longword) python3 -c "import sys; sys.stdout.buffer.write(b'b' * ($2 - 300) + b' xy' * 100)" ;;
        esac >"$f.part"
        mv "$f.part" "$f"
    fi
    printf '%s' "$f"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

report=$work/report
{
    printf 'bench/masks.sh  %s  %s\n' "$(date -u '+%Y-%m-%d %H:%M UTC')" "$(git -C "$ROOT" log -1 --format=%h 2>/dev/null || echo '?')"
    printf 'tekstovar-cli: %s; %d run(s) each, median time, highest peak memory\n\n' "$CLI" "$RUNS"
    printf '%-14s %-8s %8s %10s %9s %10s  %s\n' mask text bytes 'time s' 's/MB' 'peak KB' 'output'
} >"$report"

status=0
run_case() { # MASK NAME BYTES
    local mask=$1 name=$2 bytes=$3 in times=() peak=0 i t m median per check
    in=$(text "$name" "$bytes")
    for ((i = 0; i < RUNS; i++)); do
        if ! timeout "$LIMIT" /usr/bin/time -f '%e %M' -o "$work/time" "$CLI" -s "$mask" -r '<\1>' --from WIN \
            <"$in" >"$work/fast" 2>"$work/err"; then
            printf '%-14s %-8s %8d %10s\n' "$mask" "$name" "$bytes" ">$LIMIT" >>"$report"
            return
        fi
        read -r t m <"$work/time"
        times+=("$t")
        ((m > peak)) && peak=$m
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p")
    per=$(awk -v t="$median" -v b="$bytes" 'BEGIN { printf "%.3f", t * 1048576 / b }')
    if ((bytes <= PLAIN_MAX)) || [[ $name == prose || $name == abc ]]; then
        "$MASKBENCH" --plain "$mask" '<\1>' <"$in" >"$work/expected" 2>"$work/plain" || die "plain matching failed"
        check="= plain ($(sed 's/.*seconds: //' "$work/plain") s)"
    else
        "$MASKBENCH" "$mask" '<\1>' <"$in" >"$work/expected" 2>/dev/null || die "tekstovar-maskbench failed"
        check="= fast engine"
        if ! cmp -s "$in" "$work/fast"; then
            check="DIFFERS from the input"
            status=1
        fi
        check+=", = input"
    fi
    if ! cmp -s "$work/expected" "$work/fast"; then
        check="DIFFERS: $check"
        status=1
    fi
    printf '%-14s %-8s %8d %10s %9s %10d  %s\n' "$mask" "$name" "$bytes" "$median" "$per" "$peak" "$check" >>"$report"
}

for bytes in 102400 1048576; do
    run_case '\{\*a\}c' ab "$bytes"
    run_case '\{\*\_\}\.' nosigns "$bytes"
done
run_case '\{\*a\}c' abc 1048576
run_case '\{\*\_\}\.' prose 1048576
# One word over nearly all of it, then short ones: asked from every position
# inside the long word, with the short ones asked in between.
run_case '\{\*\_\}\.' longword 1048576

cp "$report" "$RESULTS/masks-latest.txt"
cat "$report"
exit "$status"
