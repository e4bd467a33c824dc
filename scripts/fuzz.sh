#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*.cpp) with clang and runs each for SECONDS seconds, seeded with
# the LZFSE test vectors and fuzz/seeds/<target>/. Exits non-zero when any target crashes, leaks,
# runs out of memory or hangs; the input that did it is kept as build-fuzz/findings/<target>-*.
#   scripts/fuzz.sh [SECONDS]          (default 60; TOLVEX_JOBS limits the build's parallel jobs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
vectors="$root/tests/data/lzfse"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTOLVEX_FUZZ=ON >/dev/null
cmake --build "$build" -j "${TOLVEX_JOBS:-$(nproc)}"

# Seed folders per target: our own seeds, plus the small vectors (compressed ones for the decoder,
# their inputs for the round trip). Large vectors only slow the fuzzer down.
seeds="$build/seeds"
rm -rf "$seeds"
for source in "$root"/fuzz/*.cpp; do
  target=$(basename "$source" .cpp)
  mkdir -p "$seeds/$target" "$build/corpus/$target"
  if [ -d "$root/fuzz/seeds/$target" ]; then cp "$root/fuzz/seeds/$target/"* "$seeds/$target/" 2>/dev/null || true; fi
done
for name in one short-text small-text text-200k repetitive-1.6m; do
  cp "$vectors/$name.lzfse" "$seeds/lzfse_decode/"
done
for name in one short-text small-text; do
  cp "$vectors/$name.bin" "$seeds/lzfse_roundtrip/"
done

mkdir -p "$build/findings"
status=0
for fuzzer in "$build"/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  target=${fuzzer##*/fuzz_}
  log="$build/fuzz-$target.log"
  echo "fuzzing $target for ${seconds}s"
  # New interesting inputs go to the first folder (kept between runs); the seeds are only read.
  if "$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -malloc_limit_mb=512 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
      "$build/corpus/$target" "$seeds/$target" >"$log" 2>&1; then
    grep -E "stat::number_of_executed_units|cov:" "$log" | tail -2 | sed 's/^/  /'
  else
    status=1
    echo "FUZZER FAILED: $target (log: $log)" >&2
    grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -20 >&2 || tail -30 "$log" >&2
  fi
done
exit $status
