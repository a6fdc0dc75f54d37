#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ and runs each for the given
# number of seconds (default 60) over its corpus. Exits nonzero on any
# finding; prints per fuzzer the executions per second, the total
# executions and the coverage reached (libFuzzer's cov: and ft:).
#   tests/fuzz/run.sh [seconds]
set -uo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"
root="$PWD"
build="$root/build-fuzz"

# clang and its libFuzzer runtime come from Debian's packages.
if ! command -v clang++-14 >/dev/null 2>&1 && ! command -v clang++ >/dev/null 2>&1; then
  bash scripts/deps.sh clang libclang-rt-14-dev || true
fi

cc="" cxx=""
for v in 14 ""; do
  if command -v "clang++${v:+-$v}" >/dev/null 2>&1; then
    cc="$(command -v "clang${v:+-$v}")" cxx="$(command -v "clang++${v:+-$v}")"
    break
  fi
done
if [[ -z "$cxx" ]]; then
  echo "fuzz: clang not found, fuzzers skipped"
  exit 0
fi

CC="$cc" CXX="$cxx" cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DABACOR_SANITIZE=address,undefined -DABACOR_BUILD_FUZZERS=ON \
  -DABACOR_BUILD_TESTS=OFF -DABACOR_BUILD_SHOWCASE=OFF -DABACOR_BUILD_BENCH=OFF >/dev/null || exit 1
fuzzers=(fuzz_compile fuzz_calculate fuzz_executor fuzz_drawtools fuzz_host_files)
cmake --build "$build" --target "${fuzzers[@]}" -j"$(nproc)" || exit 1

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The seed folders of each fuzzer; new inputs go to build-fuzz/corpus/NAME.
seeds() {
  case "$1" in
    fuzz_compile|fuzz_calculate|fuzz_executor) echo "$root/bench/suite $root/tests/fuzz/corpus/formulas $root/tests/fuzz/corpus/$1" ;;
    fuzz_drawtools) echo "$root/tests/fuzz/corpus/drawtools" ;;
    fuzz_host_files) echo "$root/tests/fuzz/corpus/host_files" ;;
  esac
}

failed=0
summary=()
for f in "${fuzzers[@]}"; do
  work="$build/corpus/$f"
  mkdir -p "$work" "$build/artifacts"
  log="$build/$f.log"
  dirs=()
  for d in $(seeds "$f"); do [[ -d "$d" ]] && dirs+=("$d"); done
  echo "== $f (${seconds}s)"
  "$build/tests/fuzz/$f" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$f-" "$work" "${dirs[@]}" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  line="$f: ${rate:-?} exec/s, ${execs:-?} executions, cov: ${cov:-?} ft: ${ft:-?}"
  if [[ $rc -ne 0 ]]; then
    failed=1
    line="$line, FINDING (exit $rc), see $log"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5
    ls "$build/artifacts/$f-"* 2>/dev/null | head -3
  fi
  echo "$line"
  summary+=("$line")
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
exit $failed
