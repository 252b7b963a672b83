#!/usr/bin/env bash
# tekstovar-cli timed beside the tools a user would pick instead.
#
#   bench/run.sh
#
# Environment:
#   TEKSTOVAR_CLI   binary to time (default: build-bench/bin/tekstovar-cli,
#                   built in Release if missing)
#   BENCH_RUNS      timed runs per tool and size, the median is reported (5)
#   BENCH_BIG_MB    size of the large text in MB of 2^20 bytes (100)
#   BENCH_SMALL_MB  size of the small text (10)
#   BENCH_SEED      generator seed (1251)
#
# The report goes to standard output and to bench/results/latest.txt;
# progress goes to standard error.  Exit status is 0 when the run completed,
# whether or not the targets were met, and 1 when an output differs from its
# peer's (the timings would then compare different work).

SCRIPT=run.sh
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
BIG_MB=${BENCH_BIG_MB:-100}
SMALL_MB=${BENCH_SMALL_MB:-10}
[[ $BIG_MB =~ ^[1-9][0-9]*$ && $SMALL_MB =~ ^[1-9][0-9]*$ ]] || die "sizes must be positive integers"
need_tools perl sed iconv cmp cat awk git dd tr python3

# ---- data ----------------------------------------------------------------

for mb in "$BIG_MB" "$SMALL_MB"; do
    ensure_text "$mb"
done

# sed and perl get the WIN bytes of the words through script files, so that
# nothing between here and them depends on a locale.
WORD_FROM=который
WORD_TO=которые
FROM_WIN=$(printf '%s' "$WORD_FROM" | iconv -f UTF-8 -t CP1251)
TO_WIN=$(printf '%s' "$WORD_TO" | iconv -f UTF-8 -t CP1251)
printf 's/%s/%s/g\n' "$FROM_WIN" "$TO_WIN" > "$DATA/literal.sed"
printf 's/%s/%s/g;\n' "$FROM_WIN" "$TO_WIN" > "$DATA/literal.pl"
printf 's/%s/%s/g\n' "$WORD_FROM" "$WORD_TO" > "$DATA/literal-utf8.sed"
# tr gets the same table as the recoding: the Russian letters of WIN and
# where KOI has them; every other byte stays, as in tekstovar-cli.
LETTERS=АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя
TR_FROM=$(printf '%s' "$LETTERS" | iconv -f UTF-8 -t CP1251)
TR_TO=$(printf '%s' "$LETTERS" | iconv -f UTF-8 -t KOI8-R)
# A hundred contexts one inside another, each handing its text to the next
# (the nested replacement gives the text back whole).
NEST_LEVELS=100
python3 - "$NEST_LEVELS" "$DATA/nested.search" "$DATA/nested.replace" <<'PY'
import sys
levels, search_file, replace_file = int(sys.argv[1]), sys.argv[2], sys.argv[3]
search, replace = "\\*", "\\1"
for _ in range(levels):
    search = "\\(" + search + "\\)"
    replace = '\\"' + replace.replace('"', '\\"') + '"1'
open(search_file, "w").write(search)
open(replace_file, "w").write(replace)
PY

OUT=$(mktemp -d "${TMPDIR:-/tmp}/tekstovar-bench.XXXXXX")
trap 'rm -rf "$OUT"' EXIT

# The same texts in UTF-8 and in KOI, made by the program's own recoding
# (byte for byte what iconv makes of them; iconv itself refuses WIN's 0x98).
page_file() { printf '%s' "${2%.txt}-$1.txt"; }
for mb in "$BIG_MB" "$SMALL_MB"; do
    for page in UTF KOI; do
        f=$(page_file "$page" "$(text_file "$mb")")
        if [[ ! -s $f ]]; then
            log "making $f"
            "$CLI" --from WIN --to "$page" < "$(text_file "$mb")" > "$f.part" 2> /dev/null
            mv "$f.part" "$f"
        fi
    done
done

# ---- the cases -----------------------------------------------------------
# Each tool is a command line read from standard input; the first tool of a
# case is tekstovar-cli, the rest are its peers.  ENC is the code page of the
# output, used only to show a difference readably.

CASES=(literal digits recode tags utf8 koiutf8 floor)
declare -A TITLE ENC
TITLE[literal]="literal word replacement"
TITLE[digits]="every number + 1"
TITLE[recode]="recode WIN -> KOI"
TITLE[tags]="remove <...> spans"
TITLE[utf8]="literal word, UTF-8 text"
TITLE[koiutf8]="recode KOI -> UTF-8"
TITLE[floor]="floor: read and write"
ENC[literal]=CP1251; ENC[digits]=CP1251; ENC[recode]=KOI8-R; ENC[tags]=CP1251; ENC[floor]=CP1251
ENC[utf8]=UTF-8; ENC[koiutf8]=UTF-8

# The input of a case for a size.
input_of() {
    case $1 in
        utf8)    page_file UTF "$(text_file "$2")" ;;
        koiutf8) page_file KOI "$(text_file "$2")" ;;
        *)       text_file "$2" ;;
    esac
}

tools_of() {
    case $1 in
        literal) echo "tekstovar sed perl" ;;
        digits)  echo "tekstovar perl" ;;
        recode)  echo "tekstovar iconv tr" ;;
        tags)    echo "tekstovar sed" ;;
        utf8)    echo "tekstovar sed" ;;
        koiutf8) echo "tekstovar iconv" ;;
        floor)   echo "cat dd" ;;
    esac
}

# Sets CMD to the argument vector of tool $2 in case $1.
command_of() {
    case $1/$2 in
        literal/tekstovar) CMD=("$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from WIN) ;;
        literal/sed)       CMD=(sed -f "$DATA/literal.sed") ;;
        literal/perl)      CMD=(perl -p "$DATA/literal.pl") ;;
        digits/tekstovar)  CMD=("$CLI" -s '\+9' -r '\+1' --from WIN) ;;
        digits/perl)       CMD=(perl -pe 's/(\d+)/$1+1/ge') ;;
        recode/tekstovar)  CMD=("$CLI" --from WIN --to KOI) ;;
        recode/iconv)      CMD=(iconv -f CP1251 -t KOI8-R) ;;
        recode/tr)         CMD=(tr "$TR_FROM" "$TR_TO") ;;
        tags/tekstovar)    CMD=("$CLI" -s '<\*>' -r '' --from WIN) ;;
        tags/sed)          CMD=(sed 's/<[^>]*>//g') ;;
        utf8/tekstovar)    CMD=("$CLI" -s "$WORD_FROM" -r "$WORD_TO" --from UTF) ;;
        utf8/sed)          CMD=(sed -f "$DATA/literal-utf8.sed") ;;
        koiutf8/tekstovar) CMD=("$CLI" --from KOI --to UTF) ;;
        koiutf8/iconv)     CMD=(iconv -f KOI8-R -t UTF-8) ;;
        floor/cat)         CMD=(cat) ;;
        floor/dd)          CMD=(dd bs=1M status=none) ;;
        *) die "no command for $1/$2" ;;
    esac
}

# One timed run: "SECONDS PEAK_KIB" on standard output.  The wall clock is
# taken around GNU time, which adds the same ~1 ms to every tool; its own
# %e has only centisecond resolution, too coarse for the small text.
timed_run() {
    local input=$1 output=$2 t0 t1 rc=0
    t0=$(date +%s%N)
    /usr/bin/time -f %M -o "$OUT/mem" "${CMD[@]}" < "$input" > "$output" 2> "$OUT/err" || rc=$?
    t1=$(date +%s%N)
    if [[ $rc != 0 ]]; then
        log "$(show_cmd) failed with status $rc:"; cat "$OUT/err" >&2; exit 2
    fi
    printf '%s %s\n' "$(( t1 - t0 ))" "$(tail -n1 "$OUT/mem")"
}

median() { tr ' ' '\n' | sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

declare -A SEC MIN PEAK REPL CHECK
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
SIZES=("$BIG_MB" "$SMALL_MB")
MISMATCH=0

describe_difference() {
    # First differing byte, and the line it is on from both outputs.
    local a=$1 b=$2 enc=$3 msg line
    msg=$(cmp "$a" "$b" 2>&1 | head -n1) || true
    msg=${msg//"$a"/tekstovar}
    msg=${msg//"$b"/peer}
    line=$(printf '%s' "$msg" | sed -n 's/.*line \([0-9]*\).*/\1/p')
    printf 'DIFFERS: %s' "$msg"
    if [[ -n $line ]]; then
        printf '\n      tekstovar: %s' "$(sed -n "${line}p" "$a" | tr -d '\r' | head -c 300 | iconv -c -f "$enc" -t UTF-8)"
        printf '\n      peer:      %s' "$(sed -n "${line}p" "$b" | tr -d '\r' | head -c 300 | iconv -c -f "$enc" -t UTF-8)"
    fi
}

for mb in "${SIZES[@]}"; do
    cat "$(text_file "$mb")" > /dev/null   # into the page cache before any timing
done
for c in "${CASES[@]}"; do
    read -r -a tools <<< "$(tools_of "$c")"
    # Outputs for the comparison come from an untimed run of each tool.
    for mb in "${SIZES[@]}"; do
        for t in "${tools[@]}"; do
            command_of "$c" "$t"
            timed_run "$(input_of "$c" "$mb")" "$OUT/$c.$t" > /dev/null
            if [[ $t == tekstovar ]]; then
                REPL[$c/$mb]=$(sed -n 's/^replacements: //p' "$OUT/err" | tail -n1)
            fi
        done
        for t in "${tools[@]:1}"; do
            [[ $c == floor ]] && continue # nothing to compare with
            if cmp -s "$OUT/$c.tekstovar" "$OUT/$c.$t"; then
                CHECK[$c/$t/$mb]="identical"
            else
                CHECK[$c/$t/$mb]=$(describe_difference "$OUT/$c.tekstovar" "$OUT/$c.$t" "${ENC[$c]}")
                MISMATCH=1
            fi
        done
        rm -f "$OUT/$c".*
    done
    # Each timed round goes through both sizes and every tool, so a change in
    # the machine's load falls alike on the tools compared and on the two
    # sizes of the linearity check.
    declare -A secs=() peaks=()
    for ((r = 1; r <= RUNS; r++)); do
        log "$c  round $r/$RUNS"
        for mb in "${SIZES[@]}"; do
            for t in "${tools[@]}"; do
                command_of "$c" "$t"
                timed_run "$(input_of "$c" "$mb")" /dev/null > "$OUT/run"
                read -r ns kib < "$OUT/run"
                secs[$t/$mb]+="$ns "
                peaks[$t/$mb]+="$kib "
            done
        done
    done
    for mb in "${SIZES[@]}"; do
        for t in "${tools[@]}"; do
            k=$t/$mb
            SEC[$c/$k]=$(echo "${secs[$k]}" | median | awk '{printf "%.3f", $1 / 1e9}')
            MIN[$c/$k]=$(echo "${secs[$k]}" | tr ' ' '\n' | sort -g | awk 'NF {printf "%.3f", $1 / 1e9; exit}')
            PEAK[$c/$k]=$(echo "${peaks[$k]}" | tr ' ' '\n' | sort -g | tail -n1 | awk '{printf "%.1f", $1 / 1024}')
        done
    done
    unset secs peaks
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
lt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# ---- nested contexts -----------------------------------------------------
# One run on the small text: each level must read its owner's text where it
# lies, not copy it (the target is memory; the time is shown).
command_nested() { CMD=("$CLI" --search-file "$DATA/nested.search" --replace-file "$DATA/nested.replace" --from WIN); }
log "nested contexts"
command_nested
read -r NEST_NS NEST_KIB <<< "$(timed_run "$(text_file "$SMALL_MB")" "$OUT/nested")"
NEST_BYTES=$(stat -c %s "$(text_file "$SMALL_MB")")
NEST_MB=$(awk -v k="$NEST_KIB" 'BEGIN{printf "%.1f", k / 1024}')
NEST_LIMIT=$(awk -v b="$NEST_BYTES" 'BEGIN{printf "%.1f", 2 * b / 1048576}')
if cmp -s "$OUT/nested" "$(text_file "$SMALL_MB")"; then NEST_SAME=identical; else NEST_SAME=DIFFERS; MISMATCH=1; fi
rm -f "$OUT/nested"
le "$NEST_MB" "$NEST_LIMIT" && NEST_OK=1 || NEST_OK=0
NEST_DETAIL="$NEST_LEVELS levels over ${SMALL_MB} MB: ${NEST_MB} MB of ${NEST_LIMIT} MB, $(awk -v n="$NEST_NS" 'BEGIN{printf "%.2f", n / 1e9}') s, output $NEST_SAME to the input"

# ---- report --------------------------------------------------------------

REPORT=$OUT/report

{
    echo "tekstovar-cli benchmark  $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "tree:    $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')$(git -C "$ROOT" diff --quiet HEAD -- src 2>/dev/null || echo ' (src modified)')"
    echo "binary:  $CLI"
    echo "machine: $(nproc) CPU, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"
    echo "peers:   $(sed --version | head -n1); perl $(perl -e 'print $^V'); iconv $(iconv --version | head -n1 | awk '{print $NF}')"
    echo "runs:    $RUNS per tool and size, median wall time; peak = highest max RSS of the runs"
    echo "load:    $LOAD_BEFORE before, $(cut -d' ' -f1-3 /proc/loadavg) after (1/5/15-minute load averages; other work on the machine makes the times noisy)"
    echo "outputs: timed runs write to /dev/null; the comparison uses one extra run of each tool"
    for mb in "${SIZES[@]}"; do
        f=$(text_file "$mb")
        echo "text:    ${mb} MB = $(stat -c %s "$f") bytes, $(wc -l < "$f") lines (bench/data/$(basename "$f"))"
    done
    echo
    echo "Commands (all with LC_ALL=C, input on standard input):"
    for c in "${CASES[@]}"; do
        for t in $(tools_of "$c"); do
            command_of "$c" "$t"
            printf '  %-8s %-10s %s\n' "$c" "$t" "$(show_cmd)"
        done
    done
    for mb in "${SIZES[@]}"; do
        echo
        echo "== ${mb} MB input =="
        printf '%-26s %-10s %9s %9s %11s %8s  %s\n' case tool "median s" "peak MB" "tk / tool" "x cat" "output vs tekstovar-cli"
        floor=${SEC[floor/cat/$mb]}
        for c in "${CASES[@]}"; do
            for t in $(tools_of "$c"); do
                s=${SEC[$c/$t/$mb]}
                if [[ $t == tekstovar || $c == floor ]]; then tk="" ; else tk=$(ratio "${SEC[$c/tekstovar/$mb]}" "$s"); fi
                if [[ $t == tekstovar ]]; then
                    note="${REPL[$c/$mb]:-?} replacements"
                elif [[ $c == floor ]]; then
                    note=""
                else
                    note=${CHECK[$c/$t/$mb]}
                fi
                printf '%-26s %-10s %9s %9s %11s %8s  %s\n' "${TITLE[$c]}" "$t" "$s" "${PEAK[$c/$t/$mb]}" "$tk" "$(ratio "$s" "$floor")" "$note"
            done
        done
    done

    echo
    echo "== Linear growth: tekstovar-cli time on ${BIG_MB} MB / on ${SMALL_MB} MB (target <= $(awk -v a="$BIG_MB" -v b="$SMALL_MB" 'BEGIN{print 1.1 * a / b}')) =="
    # The target is judged on the medians; the ratio of the fastest runs is
    # shown beside it because it is far less swayed by other load.
    printf '  %-26s %8s %8s\n' "" medians fastest
    LINEAR_OK=1
    for c in literal digits recode tags utf8 koiutf8; do
        g=$(ratio "${SEC[$c/tekstovar/$BIG_MB]}" "${SEC[$c/tekstovar/$SMALL_MB]}")
        gmin=$(ratio "${MIN[$c/tekstovar/$BIG_MB]}" "${MIN[$c/tekstovar/$SMALL_MB]}")
        if [[ $g != - ]] && le "$g" "$(awk -v a="$BIG_MB" -v b="$SMALL_MB" 'BEGIN{print 1.1 * a / b}')"; then ok=met; else ok="NOT met"; LINEAR_OK=0; fi
        printf '  %-26s %8s %8s   %s\n' "${TITLE[$c]}" "$g" "$gmin" "$ok"
    done

    echo
    echo "== Peak memory of tekstovar-cli vs 1.2 x input + 50 MB =="
    MEM_OK=1
    for mb in "${SIZES[@]}"; do
        for c in literal digits recode tags utf8 koiutf8; do
            # Each case's own input: the UTF-8 text is larger than the WIN one.
            bytes=$(stat -c %s "$(input_of "$c" "$mb")")
            limit=$(awk -v b="$bytes" 'BEGIN{printf "%.1f", 1.2 * b / 1048576 + 50}')
            p=${PEAK[$c/tekstovar/$mb]}
            if le "$p" "$limit"; then ok=met; else ok="NOT met"; MEM_OK=0; fi
            printf '  %4s MB  %-26s %8s MB of %8s MB   %s\n' "$mb" "${TITLE[$c]}" "$p" "$limit" "$ok"
        done
    done

    echo
    echo "== Targets (on the ${BIG_MB} MB text) =="
    target() { # NAME OK DETAIL
        printf '  %-8s %-44s %s\n' "$([[ $2 == 1 ]] && echo MET || echo 'NOT MET')" "$1" "$3"
    }
    B=$BIG_MB
    how() { # tekstovar peer: "x.xx times the peer's time"
        printf 'tekstovar %ss, %s %ss: %s x' "${SEC[$1/tekstovar/$B]}" "$2" "${SEC[$1/$2/$B]}" "$(ratio "${SEC[$1/tekstovar/$B]}" "${SEC[$1/$2/$B]}")"
    }
    # Against what the machine can do: reading and writing the text (dd),
    # and the plain byte table (tr); and against the peers.
    within() { # CASE TOOL FACTOR: tekstovar's median at most FACTOR x the tool's
        le "${SEC[$1/tekstovar/$B]}" "$(awk -v s="${SEC[$1/$2/$B]}" -v f="$3" 'BEGIN{print s * f}')"
    }
    how_floor() { # CASE: "x.xx times dd's time"
        printf 'tekstovar %ss, dd %ss: %s x' "${SEC[$1/tekstovar/$B]}" "${SEC[floor/dd/$B]}" "$(ratio "${SEC[$1/tekstovar/$B]}" "${SEC[floor/dd/$B]}")"
    }
    le "${SEC[literal/tekstovar/$B]}" "$(awk -v s="${SEC[floor/dd/$B]}" 'BEGIN{print s * 2.5}')" && ok=1 || ok=0
    target "literal replacement <= 2.5 x dd" $ok "$(how_floor literal)"
    within recode tr 1.0 && ok=1 || ok=0
    target "recoding WIN -> KOI <= 1.0 x tr" $ok "$(how recode tr)"
    within digits perl 0.2 && ok=1 || ok=0
    target "numbers + 1 <= 0.2 x perl" $ok "$(how digits perl)"
    within tags sed 0.4 && ok=1 || ok=0
    target "<...> removal <= 0.4 x sed" $ok "$(how tags sed)"
    within literal sed 1.0 && ok=1 || ok=0
    target "literal replacement at least as fast as sed" $ok "$(how literal sed)"
    within recode iconv 1.0 && ok=1 || ok=0
    target "recoding at least as fast as iconv" $ok "$(how recode iconv)"
    within utf8 sed 1.0 && ok=1 || ok=0
    target "literal replacement in UTF-8 as fast as sed" $ok "$(how utf8 sed)"
    within koiutf8 iconv 1.0 && ok=1 || ok=0
    target "KOI -> UTF-8 at least as fast as iconv" $ok "$(how koiutf8 iconv)"
    target "linear growth" $LINEAR_OK "see above"
    target "memory" $MEM_OK "see above"
    target "nested contexts: memory <= 2 x input" $NEST_OK "$NEST_DETAIL"
    if [[ $MISMATCH == 0 ]]; then
        target "outputs identical to the peers'" 1 "every comparison, both sizes"
    else
        target "outputs identical to the peers'" 0 "see the table: timings of a differing case compare different work"
    fi
} > "$REPORT"

cp "$REPORT" "$RESULTS/latest.txt"
cat "$REPORT"
exit "$MISMATCH"
