#!/usr/bin/env bash
# tekstovar-cli rewriting files in place, timed beside find + sed -i.
#
#   bench/files.sh
#
# Environment:
#   TEKSTOVAR_CLI   binary to time (default: build-bench/bin/tekstovar-cli,
#                   brought up to date in Release first)
#   BENCH_RUNS      timed runs per command, the median is reported (5)
#   BENCH_FILES     files in the tree (1000)
#   BENCH_BIG_MB    size of the large text in MB of 2^20 bytes (100); the
#                   tree is this text cut into BENCH_FILES files
#   BENCH_SEED      generator seed (1251)
#
# The report goes to standard output and to bench/results/files-latest.txt;
# progress goes to standard error.  Exit status is 0 when the run completed,
# whether or not the targets were met, 1 when a result differs from the
# expected one (a tree, a file or a backup), 2 when a tool failed or
# something is missing.

SCRIPT=files.sh
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
FILES=${BENCH_FILES:-1000}
BIG_MB=${BENCH_BIG_MB:-100}
[[ $FILES =~ ^[1-9][0-9]*$ && $BIG_MB =~ ^[1-9][0-9]*$ ]] || die "BENCH_FILES and BENCH_BIG_MB must be positive integers"
need_tools sed find split diff cmp sync iconv awk git stat
"$CLI" --help 2>/dev/null | grep -q -- --backup-root || die "$CLI has no file modes (--backup-root)"

# ---- data ----------------------------------------------------------------

# The same text, under the same name, as run.sh's large one.
ensure_text "$BIG_MB"
BIG=$(text_file "$BIG_MB")

# The tree: the large text cut at line ends into FILES files of about the
# same size, a hundred to a subdirectory (d0/f0000.txt ... d9/f0999.txt for
# a thousand), so the walk goes through directories too.
TREE=$DATA/tree-${FILES}f-$(basename "$BIG" .txt)
if [[ ! -d $TREE ]]; then
    rm -rf "$DATA"/tree-"$FILES"f-*
    log "cutting $BIG into $FILES files"
    digits=$(( ${#FILES} < 3 ? 3 : ${#FILES} ))
    rm -rf "$TREE.part"; mkdir -p "$TREE.part/flat"
    split -n "l/$FILES" -d -a "$digits" --additional-suffix=.txt "$BIG" "$TREE.part/flat/f"
    for f in "$TREE.part"/flat/f*.txt; do
        n=$(basename "$f" .txt); n=$((10#${n#f}))
        mkdir -p "$TREE.part/d$((n / 100))"
        mv "$f" "$TREE.part/d$((n / 100))/"
    done
    rmdir "$TREE.part/flat"
    mv "$TREE.part" "$TREE"
fi
# Every run starts from this tree, so it is checked whole: the files, in
# order, are the text again.
[[ $(find "$TREE" -type f | wc -l) == "$FILES" ]] || die "$TREE does not hold $FILES files: remove it to have it made again"
find "$TREE" -type f -name '*.txt' | sort | xargs cat | cmp -s - "$BIG" ||
    die "$TREE is not $BIG cut into files: remove it to have it made again"

# sed gets the WIN bytes of the words through a script file, so that
# nothing between here and it depends on a locale.
WORD_FROM=который
WORD_TO=которые
FROM_WIN=$(printf '%s' "$WORD_FROM" | iconv -f UTF-8 -t CP1251)
TO_WIN=$(printf '%s' "$WORD_TO" | iconv -f UTF-8 -t CP1251)
printf 's/%s/%s/g\n' "$FROM_WIN" "$TO_WIN" > "$DATA/literal.sed"

# Work copies go where TMPDIR points: the file system decides what a
# forced write (tekstovar-cli's fdatasync per file) costs, and the report
# names it.
OUT=$(mktemp -d "${TMPDIR:-/tmp}/tekstovar-files.XXXXXX")
trap 'rm -rf "$OUT"' EXIT
cd "$OUT"

# ---- commands ------------------------------------------------------------
# Every command runs in $OUT on a fresh copy named "tree" (or "big.txt"),
# with backups, where asked for, below "broot".

TREE_TOOLS=(tk tk-backup tk-broot sed-plus sed-each sed-sync)
BIG_TOOLS=(tk tk-backup tk-broot sed)
declare -A TITLE
TITLE[tk]="tekstovar-cli"
TITLE[tk-backup]="tekstovar-cli --backup"
TITLE[tk-broot]="tekstovar-cli --backup-root"
TITLE[sed-plus]="find + sed -i {} +"
TITLE[sed-each]="find + sed -i {} \\;"
TITLE[sed-sync]="find + sed -i + sync -d"
TITLE[sed]="sed -i"
declare -A HOW=([tk]="plain" [tk-backup]="--backup" [tk-broot]="--backup-root")

# Sets CMD to the argument vector of tool $2 on target $1 (tree or big.txt).
command_of() {
    local t=$1
    case $2 in
        tk)        CMD=("$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN "$t") ;;
        tk-backup) CMD=("$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN --backup "$t") ;;
        tk-broot)  CMD=("$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN --backup --backup-root broot "$t") ;;
        sed-plus)  CMD=(find "$t" -name '*.txt' -exec sed -i -f "$DATA/literal.sed" '{}' +) ;;
        sed-each)  CMD=(find "$t" -name '*.txt' -exec sed -i -f "$DATA/literal.sed" '{}' ';') ;;
        # The same forced write per file as tekstovar-cli's, for a like
        # comparison: sed -i itself leaves its output to the page cache.
        sed-sync)  CMD=(find "$t" -name '*.txt' -exec sed -i -f "$DATA/literal.sed" '{}' + -exec sync -d '{}' +) ;;
        sed)       CMD=(sed -i -f "$DATA/literal.sed" "$t") ;;
        *) die "no command for $2" ;;
    esac
}

# A fresh copy of the tree (or of the large text) in $OUT, with nothing
# else beside it, on disk before the timed run begins: otherwise the
# write-back of the copy would fall into whichever run came next.
fresh() {
    rm -rf tree big.txt broot
    if [[ $1 == tree ]]; then cp -r "$TREE" tree; else cp "$BIG" big.txt; fi
    sync
}

# One timed run: "NANOSECONDS PEAK_KIB CPU_SECONDS" on standard output, the
# command's standard output in $OUT/stdout.  The wall clock is taken around
# GNU time as in run.sh; CPU is user + system of the command and all it ran.
timed_run() {
    local t0 t1 rc=0
    t0=$(date +%s%N)
    /usr/bin/time -f '%M %U %S' -o "$OUT/res" "${CMD[@]}" > "$OUT/stdout" 2> "$OUT/err" || rc=$?
    t1=$(date +%s%N)
    if [[ $rc != 0 ]]; then
        log "$(show_cmd) failed with status $rc:"; cat "$OUT/err" >&2; exit 2
    fi
    printf '%s %s\n' "$(( t1 - t0 ))" "$(tail -n1 "$OUT/res" | awk '{printf "%s %.2f", $1, $2 + $3}')"
}

median() { tr ' ' '\n' | sort -g | awk 'NF {v[++n]=$1} END {if (n%2) print v[(n+1)/2]; else print (v[n/2]+v[n/2+1])/2}'; }

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
START=$(date +%s)
MISMATCH=0
declare -A CHECK
CHECKS=()   # their keys, in the order made

# ---- checks (untimed) ----------------------------------------------------

# What every run should leave: sed's tree, and sed's large text.
log "making the expected results with sed"
cp -r "$TREE" "$OUT/expected-tree"
find "$OUT/expected-tree" -name '*.txt' -exec sed -i -f "$DATA/literal.sed" '{}' +
sed -f "$DATA/literal.sed" "$BIG" > "$OUT/expected-big.txt"
# The number of replacements, counted apart from either tool.
TREE_N=$(find "$TREE" -name '*.txt' -exec cat '{}' + | grep -o -F -- "$FROM_WIN" | wc -l)
BIG_N=$(grep -o -F -- "$FROM_WIN" "$BIG" | wc -l)

# ok NAME DETAIL / bad NAME DETAIL: one line of the checks section.
ok()   { CHECKS+=("$1"); CHECK[$1]="ok: $2"; }
bad()  { CHECKS+=("$1"); CHECK[$1]="DIFFERS: $2"; MISMATCH=1; }
info() { CHECKS+=("$1"); CHECK[$1]="info: $2"; }

# The listing tekstovar-cli printed: one "PATH<TAB>N" line per file, the
# counts adding up to its "replacements:" line and to the count above.
check_listing() {
    local name=$1 files=$2 want=$3 lines sum total
    lines=$(grep -c $'\t' "$OUT/stdout" || true)
    sum=$(awk -F'\t' '{s += $NF} END {print s + 0}' "$OUT/stdout")
    total=$(sed -n 's/^replacements: //p' "$OUT/err" | tail -n1)
    if [[ $lines == "$files" && $sum == "$want" && $total == "$want" ]]; then
        ok "$name/listing" "$lines line(s), counts add up to $sum = 'replacements: $total' = occurrences in the input"
    else
        bad "$name/listing" "$lines line(s) (want $files), counts add up to $sum, 'replacements: ${total:-?}', $want occurrences in the input"
    fi
}

# diff -r, reduced to a count and the first lines.
tree_check() { # NAME DIR EXPECTED_DIR WHAT
    local d
    if d=$(diff -r "$2" "$3" 2>&1); then
        ok "$1" "$4 identical (diff -r)"
    else
        bad "$1" "$4: $(printf '%s\n' "$d" | grep -c '^Only in\|^Binary files\|^diff' || true) differences, first: $(printf '%s\n' "$d" | head -n1)"
    fi
}

# Inode numbers of the files of the fresh copy, to tell a hard link from a
# copy afterwards.
inodes_of() { (cd "$1" && find . -name '*.txt' -printf '%P %i\n' | sort); }

log "checking the results of each command once"
for t in "${TREE_TOOLS[@]}"; do
    fresh tree
    inodes_of tree > "$OUT/inodes-before"
    command_of tree "$t"
    timed_run > /dev/null
    case $t in
        tk|sed-plus|sed-each|sed-sync)
            tree_check "tree/$t" tree "$OUT/expected-tree" "tree vs sed's" ;;
        tk-backup)
            # The .txt files are sed's; beside each, its old contents as
            # .tx_, and nothing else.
            mkdir "$OUT/rest"
            find tree -name '*.tx_' -exec mv -t "$OUT/rest" '{}' +
            tree_check "tree/$t" tree "$OUT/expected-tree" "tree without the .tx_ files vs sed's"
            n=$(find "$OUT/rest" -type f | wc -l)
            # Every backup holds the bytes its file had.
            badb=0
            while read -r p _; do
                cmp -s "$TREE/$p" "$OUT/rest/$(basename "${p%?}_")" || badb=$((badb + 1))
            done < "$OUT/inodes-before"
            if [[ $n == "$FILES" && $badb == 0 ]]; then
                ok "tree/$t/backups" "$n .tx_ files, each equal to its file's original (cmp)"
            else
                bad "tree/$t/backups" "$n .tx_ files for $FILES, $badb not equal to their file's original"
            fi
            # Hard links: the backup keeps the original file's inode.
            links=0
            while read -r p i; do
                if [[ $(stat -c %i "$OUT/rest/$(basename "${p%?}_")" 2>/dev/null) == "$i" ]]; then links=$((links + 1)); fi
            done < "$OUT/inodes-before"
            info "tree/$t/links" "$links of $FILES backups are the original file under a second name (hard link)"
            rm -rf "$OUT/rest"
            ;;
        tk-broot)
            tree_check "tree/$t" tree "$OUT/expected-tree" "tree vs sed's"
            # The root mirrors each file's absolute (real) path.
            tree_check "tree/$t/backups" "broot$(pwd -P)/tree" "$TREE" "backup tree below broot/ vs the original"
            ;;
    esac
    if [[ $t == tk* ]]; then check_listing "tree/$t" "$FILES" "$TREE_N"; fi
done

for t in "${BIG_TOOLS[@]}"; do
    fresh big
    ino=$(stat -c %i big.txt)
    command_of big.txt "$t"
    timed_run > /dev/null
    if cmp -s big.txt "$OUT/expected-big.txt"; then
        ok "big/$t" "file equal to sed's output (cmp)"
    else
        bad "big/$t" "file vs sed's output: $(cmp big.txt "$OUT/expected-big.txt" 2>&1 | head -n1)"
    fi
    case $t in
        tk-backup) b=big.tx_ ;;
        tk-broot)  b="broot$(pwd -P)/big.txt" ;;
        *)         b= ;;
    esac
    if [[ -n $b ]]; then
        if cmp -s "$b" "$BIG"; then
            how=copy
            if [[ $(stat -c %i "$b") == "$ino" ]]; then how="hard link to the original"; fi
            ok "big/$t/backup" "$b equal to the original (cmp), a $how"
        else
            bad "big/$t/backup" "$b vs the original: $(cmp "$b" "$BIG" 2>&1 | head -n1)"
        fi
    fi
    if [[ $t == tk* ]]; then check_listing "big/$t" 1 "$BIG_N"; fi
done

# ---- timed runs ----------------------------------------------------------
# Each round goes round every command in turn, so a change in the machine's
# load falls alike on all of them.

declare -A SEC PEAK CPU
run_rounds() { # KIND TARGET TOOLS...
    local kind=$1 target=$2 r t ns kib cpu
    shift 2
    local -A secs=() peaks=() cpus=()
    for ((r = 1; r <= RUNS; r++)); do
        log "$kind  round $r/$RUNS"
        for t in "$@"; do
            fresh "$kind"
            command_of "$target" "$t"
            timed_run > "$OUT/run"
            read -r ns kib cpu < "$OUT/run"
            secs[$t]+="$ns "; peaks[$t]+="$kib "; cpus[$t]+="$cpu "
        done
    done
    for t in "$@"; do
        SEC[$kind/$t]=$(echo "${secs[$t]}" | median | awk '{printf "%.3f", $1 / 1e9}')
        CPU[$kind/$t]=$(echo "${cpus[$t]}" | median | awk '{printf "%.2f", $1}')
        PEAK[$kind/$t]=$(echo "${peaks[$t]}" | tr ' ' '\n' | sort -g | tail -n1 | awk '{printf "%.1f", $1 / 1024}')
        ALL[$kind/$t]=$(echo "${secs[$t]}" | tr ' ' '\n' | awk 'NF {printf "%s%.2f", sep, $1 / 1e9; sep = " "}')
    done
}
declare -A ALL
run_rounds tree tree "${TREE_TOOLS[@]}"
run_rounds big big.txt "${BIG_TOOLS[@]}"
rm -rf tree big.txt broot

# ---- report --------------------------------------------------------------

REPORT=$OUT/report
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
extra() { # seconds and percent of $2 over $1
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.3f s (%+.0f%%)", b - a, (a > 0 ? 100 * (b - a) / a : 0) }'
}

{
    echo "tekstovar-cli over files  $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "tree:    $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')$(git -C "$ROOT" diff --quiet HEAD -- src 2>/dev/null || echo ' (src modified)')"
    echo "binary:  $CLI"
    echo "machine: $(nproc) CPU, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"
    echo "disk:    work copies in ${TMPDIR:-/tmp}, $(df -PT "$OUT" | awk 'NR == 2 {print $2 " on " $1}')"
    echo "peers:   $(sed --version | head -n1); $(find --version | head -n1); $(sync --version | head -n1)"
    echo "runs:    $RUNS per command, median wall time; a fresh copy (untimed, then sync) before each; peak = highest max RSS of the runs"
    echo "load:    $LOAD_BEFORE before, $(cut -d' ' -f1-3 /proc/loadavg) after (1/5/15-minute load averages; other work on the machine makes the times noisy)"
    echo "files:   $FILES files of $(find "$TREE" -name '*.txt' -printf '%s\n' | sort -n | sed -n '1p;$p' | paste -sd- -) bytes, $(find "$TREE" -name '*.txt' -printf '%s\n' | awk '{s += $1} END {print s}') bytes in all (bench/data/$(basename "$TREE"), the large text cut at line ends)"
    echo "text:    ${BIG_MB} MB = $(stat -c %s "$BIG") bytes (bench/data/$(basename "$BIG"))"
    echo "word:    $WORD_FROM -> $WORD_TO, $BIG_N occurrences in the text, $TREE_N in the tree (grep -o -F)"
    echo
    echo "Commands (all with LC_ALL=C, run in the work directory):"
    for t in "${TREE_TOOLS[@]}"; do
        command_of tree "$t"; printf '  tree  %-28s %s\n' "${TITLE[$t]}" "$(show_cmd)"
    done
    for t in "${BIG_TOOLS[@]}"; do
        command_of big.txt "$t"; printf '  big   %-28s %s\n' "${TITLE[$t]}" "$(show_cmd)"
    done

    echo
    echo "== Tree of $FILES files: literal replacement in place =="
    printf '%-28s %9s %8s %9s %10s  %s\n' command "median s" "cpu s" "peak MB" "tk / this" "all runs, s"
    for t in "${TREE_TOOLS[@]}"; do
        r=""; [[ $t == sed* ]] && r=$(ratio "${SEC[tree/tk]}" "${SEC[tree/$t]}")
        printf '%-28s %9s %8s %9s %10s  %s\n' "${TITLE[$t]}" "${SEC[tree/$t]}" "${CPU[tree/$t]}" "${PEAK[tree/$t]}" "$r" "${ALL[tree/$t]}"
    done
    echo
    echo "tk / this: tekstovar-cli's median wall time over the peer's.  cpu s: median"
    echo "user + system time of the command and everything it ran; the rest of the"
    echo "wall time is mostly waiting for the disk.  tekstovar-cli forces each new"
    echo "file to disk (fdatasync) before renaming it over the old one; sed -i does"
    echo "not, so 'find + sed -i + sync -d' adds the same forced write per file."
    echo
    echo "Backups, over tekstovar-cli without them (medians):"
    echo "  --backup (.tx_ beside each file):   $(extra "${SEC[tree/tk]}" "${SEC[tree/tk-backup]}")"
    echo "  --backup-root (a copy of each):     $(extra "${SEC[tree/tk]}" "${SEC[tree/tk-broot]}")"

    echo
    echo "== One ${BIG_MB} MB file in place =="
    printf '%-28s %9s %8s %9s %10s  %s\n' command "median s" "cpu s" "peak MB" "tk / sed" "all runs, s"
    for t in "${BIG_TOOLS[@]}"; do
        r=""; [[ $t == tk* ]] && r=$(ratio "${SEC[big/$t]}" "${SEC[big/sed]}")
        printf '%-28s %9s %8s %9s %10s  %s\n' "${TITLE[$t]}" "${SEC[big/$t]}" "${CPU[big/$t]}" "${PEAK[big/$t]}" "$r" "${ALL[big/$t]}"
    done
    echo
    echo "Backups, over tekstovar-cli without them (medians):"
    echo "  --backup:       $(extra "${SEC[big/tk]}" "${SEC[big/tk-backup]}")"
    echo "  --backup-root:  $(extra "${SEC[big/tk]}" "${SEC[big/tk-broot]}")"

    echo
    echo "== Results (one untimed run of each command, before the timed ones) =="
    for k in "${CHECKS[@]}"; do
        printf '  %-24s %s\n' "$k" "${CHECK[$k]}"
    done

    echo
    echo "== Peak memory of tekstovar-cli vs 2.5 x file size + 50 MB =="
    bytes=$(stat -c %s "$BIG")
    limit=$(awk -v b="$bytes" 'BEGIN{printf "%.1f", 2.5 * b / 1048576 + 50}')
    largest=$(find "$TREE" -name '*.txt' -printf '%s\n' | sort -n | tail -n1)
    tlimit=$(awk -v b="$largest" 'BEGIN{printf "%.1f", 2.5 * b / 1048576 + 50}')
    MEM_OK=1
    for t in tk tk-backup tk-broot; do
        p=${PEAK[big/$t]}
        if le "$p" "$limit"; then v=met; else v="NOT met"; MEM_OK=0; fi
        printf '  %-30s %8s MB of %8s MB   %s\n' "${BIG_MB} MB file, ${HOW[$t]}" "$p" "$limit" "$v"
    done
    for t in tk tk-backup tk-broot; do
        p=${PEAK[tree/$t]}
        if le "$p" "$tlimit"; then v=met; else v="NOT met"; MEM_OK=0; fi
        printf '  %-30s %8s MB of %8s MB   %s\n' "tree, ${HOW[$t]}" "$p" "$tlimit" "$v"
    done
    echo "  (for the tree the limit is taken on its largest file, $largest bytes: files are done one at a time)"

    echo
    echo "== Targets =="
    target() { # NAME OK DETAIL
        printf '  %-8s %-48s %s\n' "$([[ $2 == 1 ]] && echo MET || echo 'NOT MET')" "$1" "$3"
    }
    target "memory" $MEM_OK "see above"
    if [[ $MISMATCH == 0 ]]; then
        target "files and backups as expected" 1 "every check above"
    else
        target "files and backups as expected" 0 "see the results: timings of a differing command compare different work"
    fi
    echo
    echo "full run: $(( $(date +%s) - START )) s after the build and the data"
} > "$REPORT"

cp "$REPORT" "$RESULTS/files-latest.txt"
cat "$REPORT"
exit "$MISMATCH"
