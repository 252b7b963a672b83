# Sourced by the bench scripts: strict mode, paths, messages, the tools every
# script needs, tekstovar-cli brought up to date, and the generated texts.
# The sourcing script sets SCRIPT (its name, for messages) first.

set -euo pipefail
export LC_ALL=C

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$HERE")
DATA=$HERE/data
RESULTS=$HERE/results
RUNS=${BENCH_RUNS:-5}
SEED=${BENCH_SEED:-1251}

log() { printf '%s\n' "$*" >&2; }
die() { log "$SCRIPT: $*"; exit 2; }

[[ $RUNS =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive integer"

if [[ ! -x /usr/bin/time ]]; then
    # GNU time is the only thing here that reports a child's peak memory.
    [[ $(id -u) == 0 ]] || die "GNU time is missing: apt-get install time"
    log "installing GNU time"
    apt-get update -qq >&2 && apt-get install -y -qq time >&2
fi
PY=/usr/bin/python3
[[ -x $PY ]] || PY=$(command -v python3) || die "python3 is missing"

# Each script checks the other tools it runs.
need_tools() {
    local t
    for t in "$@"; do
        command -v "$t" >/dev/null || die "$t is missing"
    done
}

if [[ -n ${TEKSTOVAR_CLI:-} ]]; then
    CLI=$TEKSTOVAR_CLI
    [[ -x $CLI ]] || die "TEKSTOVAR_CLI=$CLI is not an executable"
else
    # Always brought up to date (a no-op when it is): an older binary would
    # time old code.
    CLI=$ROOT/build-bench/bin/tekstovar-cli
    log "building $CLI"
    (cd "$ROOT" &&
        cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTEKSTOVAR_TESTS=OFF &&
        cmake --build build-bench -j"$(nproc)" --target tekstovar-cli) >&2 ||
        die "the build failed"
fi

mkdir -p "$DATA" "$RESULTS"
# The generator's hash is in the file name, so a changed generator never
# reuses a text made by an older one; the scripts share the texts.
GEN_HASH=$(sha1sum "$HERE/gen_text.py" | cut -c1-10)

text_file() { printf '%s/text-%smb-s%s-%s.txt' "$DATA" "$1" "$SEED" "$GEN_HASH"; }

# Makes the generated text of that many megabytes unless it is there.
ensure_text() {
    local f
    f=$(text_file "$1")
    if [[ ! -s $f ]]; then
        # Drop texts of this size left by older generators: 100 MB each.
        rm -f "$DATA"/text-"$1"mb-*.txt
        log "generating $f"
        "$PY" "$HERE/gen_text.py" "$1" "$f.part" --seed "$SEED"
        mv "$f.part" "$f"
    fi
}

# The command in CMD as the report shows it: tekstovar-cli and bench/data
# by name, arguments quoted where needed.
show_cmd() {
    local a s=""
    for a in "${CMD[@]}"; do
        [[ $a == "$CLI" ]] && a=tekstovar-cli
        [[ $a == "$DATA"/* ]] && a=bench/data/${a#"$DATA"/}
        if [[ $a =~ [^A-Za-z0-9_./=-] || -z $a ]]; then a="'$a'"; fi
        s+="${s:+ }$a"
    done
    printf '%s' "$s"
}
