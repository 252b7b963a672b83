#!/bin/sh
# Builds the libFuzzer targets (clang, ASan, UBSan) in build-fuzz and runs
# each for a short while on a fresh copy of its seed corpus, one after
# another; any crash, sanitizer report, time-out or memory blow-up fails.
#
#   tools/fuzz-smoke.sh [SECONDS]     seconds per target, 20 by default
#
# Findings are kept in build-fuzz/findings/ (replay: build-fuzz/bin/fuzz-NAME FILE);
# the repository is never written to.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-20}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTEKSTOVAR_FUZZ=ON -DTEKSTOVAR_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz-all

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
findings=build-fuzz/findings
rm -rf "$findings"
mkdir -p "$findings"
failed=""
for target in engine settings filelist scenario library utf8; do
  case "$target" in
    engine) seed=fuzz/corpus-seed dict=fuzz/engine.dict ;;
    settings | library) seed=fuzz/corpus-seed-$target dict=fuzz/ini.dict ;;
    *) seed=fuzz/corpus-seed-$target dict="" ;;
  esac
  mkdir "$work/$target"
  cp "$seed"/* "$work/$target/"
  log="$findings/$target.log"
  if build-fuzz/bin/fuzz-"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      ${dict:+-dict="$dict"} -artifact_prefix="$findings/$target-" "$work/$target" >"$log" 2>&1; then
    echo "fuzz-$target: $(grep -E '^Done [0-9]+ runs' "$log" || echo finished)"
  else
    echo "fuzz-$target FAILED; the end of $log:" >&2
    tail -n 40 "$log" >&2
    failed="$failed $target"
  fi
done
if [ -n "$failed" ]; then
  echo "Findings in:$failed (inputs in $findings/)" >&2
  exit 1
fi
