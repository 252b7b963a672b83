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
#   BENCH_SMALL_FILES  files in the tree of small files (10000), each of
#                   BENCH_SMALL_KB KB (10), a tenth of them holding the word
#   BENCH_CASES     what to time, of "tree small big" (all three)
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
SMALL_FILES=${BENCH_SMALL_FILES:-10000}
SMALL_KB=${BENCH_SMALL_KB:-10}
CASES=" ${BENCH_CASES:-tree small big} "
[[ $FILES =~ ^[1-9][0-9]*$ && $BIG_MB =~ ^[1-9][0-9]*$ ]] || die "BENCH_FILES and BENCH_BIG_MB must be positive integers"
[[ $SMALL_FILES =~ ^[1-9][0-9]*$ && $SMALL_KB =~ ^[1-9][0-9]*$ ]] || die "BENCH_SMALL_FILES and BENCH_SMALL_KB must be positive integers"
for c in $CASES; do [[ $c == tree || $c == small || $c == big ]] || die "BENCH_CASES: no case '$c' (tree, small, big)"; done
has_case() { [[ $CASES == *" $1 "* ]]; }
need_tools sed find split diff cmp sync iconv awk git stat grep join
"$CLI" --help 2>/dev/null | grep -q -- --backup-root || die "$CLI has no file modes (--backup-root)"

# sed gets the WIN bytes of the words through a script file, so that
# nothing between here and it depends on a locale.
WORD_FROM=который
WORD_TO=которые
FROM_WIN=$(printf '%s' "$WORD_FROM" | iconv -f UTF-8 -t CP1251)
TO_WIN=$(printf '%s' "$WORD_TO" | iconv -f UTF-8 -t CP1251)

# ---- data ----------------------------------------------------------------

# The same text, under the same name, as run.sh's large one.
ensure_text "$BIG_MB"
BIG=$(text_file "$BIG_MB")

# The tree: the large text cut at line ends into FILES files of about the
# same size, a hundred to a subdirectory (d0/f0000.txt ... d9/f0999.txt for
# a thousand), so the walk goes through directories too.
TREE=$DATA/tree-${FILES}f-$(basename "$BIG" .txt)
if has_case tree && [[ ! -d $TREE ]]; then
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
if has_case tree; then
    [[ $(find "$TREE" -type f | wc -l) == "$FILES" ]] || die "$TREE does not hold $FILES files: remove it to have it made again"
    find "$TREE" -type f -name '*.txt' | sort | xargs cat | cmp -s - "$BIG" ||
        die "$TREE is not $BIG cut into files: remove it to have it made again"
fi

# The tree of small files: the head of the large text (SMALL_FILES x
# SMALL_KB KB, cut back to a line end) cut at line ends into SMALL_FILES
# files of about SMALL_KB KB, a hundred to a subdirectory (d0/f0000.txt ...
# d99/f9999.txt). Only every tenth file (f0000, f0010, ...) keeps the word;
# in the others it becomes "которым", so nine files in ten have nothing to
# replace and the run is mostly the cost of passing a file by.
# small_tree make|check DIR: writes the tree, or compares DIR with what it
# would write (the files, their names, nothing else).
small_tree() {
    "$PY" - "$1" "$2" "$BIG" "$SMALL_FILES" "$SMALL_KB" <<'PY'
import os, sys
mode, root, big, files, kb = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])
word, other = "который".encode("cp1251"), "которым".encode("cp1251")
with open(big, "rb") as f:
    text = f.read(files * kb * 1024)
text = text[: text.rfind(b"\n") + 1]
digits = max(3, len(str(files - 1)))
start, wanted, bad = 0, set(), []
for i in range(files):
    # Like split -n l/N: a piece ends at the line end that follows its share.
    goal = (i + 1) * len(text) // files
    end = len(text) if i == files - 1 else (text.find(b"\n", max(goal - 1, start)) + 1 or len(text))
    piece, start = text[start:end], end
    if not piece:
        sys.exit("the text is too short for %d files" % files)
    if i % 10:
        piece = piece.replace(word, other)
    name = os.path.join("d%d" % (i // 100), "f%0*d.txt" % (digits, i))
    path = os.path.join(root, name)
    wanted.add(name)
    if mode == "make":
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(piece)
    else:
        try:
            with open(path, "rb") as f:
                if f.read() != piece:
                    bad.append(name)
        except OSError:
            bad.append(name)
if mode == "check":
    found = {os.path.relpath(os.path.join(d, n), root) for d, _, ns in os.walk(root) for n in ns}
    bad += sorted(found - wanted)
    if bad:
        sys.exit("%d file(s) differ, first: %s" % (len(bad), bad[0]))
PY
}
SMALL=$DATA/tree-${SMALL_FILES}x${SMALL_KB}k-$(basename "$BIG" .txt)
if has_case small; then
    (( SMALL_FILES * SMALL_KB * 1024 <= $(stat -c %s "$BIG") )) || die "$SMALL_FILES files of $SMALL_KB KB do not fit in $BIG"
    if [[ ! -d $SMALL ]]; then
        rm -rf "$DATA"/tree-"$SMALL_FILES"x"$SMALL_KB"k-*
        log "cutting the head of $BIG into $SMALL_FILES files of $SMALL_KB KB"
        rm -rf "$SMALL.part"
        small_tree make "$SMALL.part" || die "cannot make $SMALL"
        mv "$SMALL.part" "$SMALL"
    fi
    # Checked whole before every run, as the other tree is.
    small_tree check "$SMALL" || die "$SMALL is not what it should be: remove it to have it made again"
fi

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
# One sed per file is left out here: ten thousand of them only time fork.
SMALL_TOOLS=(tk tk-backup tk-broot sed-plus sed-sync)
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

# The source of each kind of work copy.
declare -A SOURCE=([tree]="$TREE" [small]="$SMALL" [big]="$BIG")

# A fresh copy of the tree (or of the large text) in $OUT, with nothing
# else beside it, on disk before the timed run begins: otherwise the
# write-back of the copy would fall into whichever run came next.
fresh() {
    rm -rf tree big.txt broot
    if [[ $1 == big ]]; then cp "$BIG" big.txt; else cp -r "${SOURCE[$1]}" tree; fi
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

# What every run should leave: sed's trees, and sed's large text; the
# number of replacements, counted apart from either tool; the files that
# hold the word (only they change, and only they get a backup).
log "making the expected results with sed"
declare -A WANT_N HOLDERS
for kind in tree small; do
    has_case "$kind" || continue
    cp -r "${SOURCE[$kind]}" "$OUT/expected-$kind"
    find "$OUT/expected-$kind" -name '*.txt' -exec sed -i -f "$DATA/literal.sed" '{}' +
    WANT_N[$kind]=$(find "${SOURCE[$kind]}" -name '*.txt' -exec cat '{}' + | grep -o -F -- "$FROM_WIN" | wc -l)
    (cd "${SOURCE[$kind]}" && grep -r -l -F -- "$FROM_WIN" . | sed 's|^\./||' | sort) > "$OUT/holders-$kind"
    HOLDERS[$kind]=$(wc -l < "$OUT/holders-$kind")
done
if has_case big; then
    sed -f "$DATA/literal.sed" "$BIG" > "$OUT/expected-big.txt"
    WANT_N[big]=$(grep -o -F -- "$FROM_WIN" "$BIG" | wc -l)
fi
declare -A COUNT=([tree]=$FILES [small]=$SMALL_FILES)

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
inodes_of() { (cd "$1" && find . -name "${2:-*.txt}" -printf '%P %i\n' | sort); }

# The backups a run made (beside the files, or below broot/): exactly one
# per file that held the word, each holding its file's original bytes.
check_backups() { # NAME KIND beside|root
    local name=$1 kind=$2 where=$3 n badb=0 p b links
    local src=${SOURCE[$kind]} want=${HOLDERS[$kind]}
    if [[ $where == beside ]]; then
        n=$(find tree -name '*.tx_' | wc -l)
    else
        n=$(find broot -type f | wc -l)
    fi
    while read -r p; do
        if [[ $where == beside ]]; then b=tree/${p%?}_; else b=broot$(pwd -P)/tree/$p; fi
        cmp -s "$src/$p" "$b" || badb=$((badb + 1))
    done < "$OUT/holders-$kind"
    if [[ $n == "$want" && $badb == 0 ]]; then
        ok "$name/backups" "$n backups for the $want files that held the word, each equal to its file's original (cmp)"
    else
        bad "$name/backups" "$n backups for the $want files that held the word, $badb missing or not equal to their file's original"
    fi
    if [[ $where == beside ]]; then
        # Hard links: the backup keeps the original file's inode.
        links=$(join <(inodes_of tree '*.tx_' | sed 's/\.tx_ /.txt /') "$OUT/inodes-before" | awk '$2 == $3' | wc -l)
        info "$name/links" "$links of $n backups are the original file under a second name (hard link)"
        find tree -name '*.tx_' -delete
    fi
}

# Files that held nothing to replace are not rewritten: they keep their inode.
check_untouched() { # NAME KIND
    local kept want
    want=$(( COUNT[$2] - HOLDERS[$2] ))
    kept=$(join -v1 "$OUT/inodes-before" "$OUT/holders-$2" | join - <(inodes_of tree) | awk '$2 == $3' | wc -l)
    if [[ $kept == "$want" ]]; then
        ok "$1/untouched" "the $want files without the word kept their inode (not rewritten)"
    else
        bad "$1/untouched" "$kept of the $want files without the word kept their inode"
    fi
}

check_tree_tools() { # KIND TOOLS...
    local kind=$1 t
    shift
    for t in "$@"; do
        fresh "$kind"
        inodes_of tree > "$OUT/inodes-before"
        command_of tree "$t"
        timed_run > /dev/null
        case $t in
            tk-backup) check_backups "$kind/$t" "$kind" beside ;;
            tk-broot)  check_backups "$kind/$t" "$kind" root ;;
        esac
        tree_check "$kind/$t" tree "$OUT/expected-$kind" "tree vs sed's"
        if [[ $t == tk* ]]; then
            check_untouched "$kind/$t" "$kind"
            check_listing "$kind/$t" "${COUNT[$kind]}" "${WANT_N[$kind]}"
        fi
    done
}

log "checking the results of each command once"
has_case tree && check_tree_tools tree "${TREE_TOOLS[@]}"
has_case small && check_tree_tools small "${SMALL_TOOLS[@]}"

if has_case big; then
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
        if [[ $t == tk* ]]; then check_listing "big/$t" 1 "${WANT_N[big]}"; fi
    done
fi

# ---- timed runs ----------------------------------------------------------
# Each round goes round every command in turn, so a change in the machine's
# load falls alike on all of them.

declare -A SEC PEAK CPU ALL
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
has_case tree && run_rounds tree tree "${TREE_TOOLS[@]}"
has_case small && run_rounds small tree "${SMALL_TOOLS[@]}"
has_case big && run_rounds big big.txt "${BIG_TOOLS[@]}"
rm -rf tree big.txt broot

# ---- report --------------------------------------------------------------

REPORT=$OUT/report
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
extra() { # seconds and percent of $2 over $1
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.3f s (%+.0f%%)", b - a, (a > 0 ? 100 * (b - a) / a : 0) }'
}
sizes_of() { # DIR: "SMALLEST-LARGEST bytes, N bytes in all"
    printf '%s bytes, %s bytes in all' "$(find "$1" -name '*.txt' -printf '%s\n' | sort -n | sed -n '1p;$p' | paste -sd- -)" \
        "$(find "$1" -name '*.txt' -printf '%s\n' | awk '{s += $1} END {print s}')"
}
declare -A TREE_TOOLS_OF=([tree]="${TREE_TOOLS[*]}" [small]="${SMALL_TOOLS[*]}")
declare -A TREE_TITLE=([tree]="Tree of $FILES files" [small]="Tree of $SMALL_FILES files of $SMALL_KB KB, a tenth holding the word")

tree_section() { # KIND
    local kind=$1 t r
    echo
    echo "== ${TREE_TITLE[$kind]}: literal replacement in place =="
    printf '%-28s %9s %8s %9s %10s  %s\n' command "median s" "cpu s" "peak MB" "tk / this" "all runs, s"
    for t in ${TREE_TOOLS_OF[$kind]}; do
        r=""; [[ $t == sed* ]] && r=$(ratio "${SEC[$kind/tk]}" "${SEC[$kind/$t]}")
        printf '%-28s %9s %8s %9s %10s  %s\n' "${TITLE[$t]}" "${SEC[$kind/$t]}" "${CPU[$kind/$t]}" "${PEAK[$kind/$t]}" "$r" "${ALL[$kind/$t]}"
    done
    echo
    echo "Backups, over tekstovar-cli without them (medians):"
    echo "  --backup (.tx_ beside each changed file):   $(extra "${SEC[$kind/tk]}" "${SEC[$kind/tk-backup]}")"
    echo "  --backup-root (a copy of each):             $(extra "${SEC[$kind/tk]}" "${SEC[$kind/tk-broot]}")"
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
    cases=${CASES# }; echo "cases:   ${cases% }"
    if has_case tree; then
        echo "files:   $FILES files of $(sizes_of "$TREE") (bench/data/$(basename "$TREE"), the large text cut at line ends)"
    fi
    if has_case small; then
        echo "small:   $SMALL_FILES files of $(sizes_of "$SMALL") (bench/data/$(basename "$SMALL"), the head of the large text cut at line ends), ${HOLDERS[small]} holding the word"
    fi
    echo "text:    ${BIG_MB} MB = $(stat -c %s "$BIG") bytes (bench/data/$(basename "$BIG"))"
    echo "word:    $WORD_FROM -> $WORD_TO; occurrences (grep -o -F):$(for k in big tree small; do has_case $k && printf ' %s in %s' "${WANT_N[$k]}" "$k"; done)"
    echo
    echo "Commands (all with LC_ALL=C, run in the work directory):"
    for kind in tree small; do
        has_case "$kind" || continue
        for t in ${TREE_TOOLS_OF[$kind]}; do
            command_of tree "$t"; printf '  %-5s %-28s %s\n' "$kind" "${TITLE[$t]}" "$(show_cmd)"
        done
    done
    if has_case big; then
        for t in "${BIG_TOOLS[@]}"; do
            command_of big.txt "$t"; printf '  big   %-28s %s\n' "${TITLE[$t]}" "$(show_cmd)"
        done
    fi

    has_case tree && tree_section tree
    has_case small && tree_section small
    echo
    echo "tk / this: tekstovar-cli's median wall time over the peer's.  cpu s: median"
    echo "user + system time of the command and everything it ran; the rest of the"
    echo "wall time is mostly waiting for the disk.  tekstovar-cli forces each new"
    echo "file to disk (fdatasync) before renaming it over the old one, and leaves"
    echo "a file with nothing to replace as it is; sed -i rewrites every file and"
    echo "forces none, so 'find + sed -i + sync -d' adds the same forced write per file."

    if has_case big; then
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
    fi

    echo
    echo "== Results (one untimed run of each command, before the timed ones) =="
    for k in "${CHECKS[@]}"; do
        printf '  %-26s %s\n' "$k" "${CHECK[$k]}"
    done

    echo
    echo "== Peak memory of tekstovar-cli vs 1.2 x file size + 50 MB =="
    MEM_OK=1
    mem_row() { # LABEL PEAK_MB LIMIT_MB
        local v
        if le "$2" "$3"; then v=met; else v="NOT met"; MEM_OK=0; fi
        printf '  %-34s %8s MB of %8s MB   %s\n' "$1" "$2" "$3" "$v"
    }
    limit_of() { awk -v b="$1" 'BEGIN{printf "%.1f", 1.2 * b / 1048576 + 50}'; }
    if has_case big; then
        limit=$(limit_of "$(stat -c %s "$BIG")")
        for t in tk tk-backup tk-broot; do mem_row "${BIG_MB} MB file, ${HOW[$t]}" "${PEAK[big/$t]}" "$limit"; done
    fi
    for kind in tree small; do
        has_case "$kind" || continue
        largest=$(find "${SOURCE[$kind]}" -name '*.txt' -printf '%s\n' | sort -n | tail -n1)
        for t in tk tk-backup tk-broot; do mem_row "$kind, ${HOW[$t]}" "${PEAK[$kind/$t]}" "$(limit_of "$largest")"; done
    done
    echo "  (for a tree the limit is taken on its largest file: files are done one at a time)"

    echo
    echo "== Targets =="
    target() { # NAME OK DETAIL
        printf '  %-8s %-48s %s\n' "$([[ $2 == 1 ]] && echo MET || echo 'NOT MET')" "$1" "$3"
    }
    if has_case small; then
        # Backups on: the case a careful user runs.
        r=$(ratio "${SEC[small/tk-backup]}" "${SEC[small/sed-plus]}")
        target "small tree: --backup <= 0.5 x find + sed -i {} +" "$(le "$r" 0.5 && echo 1 || echo 0)" \
            "${SEC[small/tk-backup]} s / ${SEC[small/sed-plus]} s = $r (without backups: $(ratio "${SEC[small/tk]}" "${SEC[small/sed-plus]}"))"
    fi
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
