#!/usr/bin/env bash
# Builds fuzz_datafile.cpp with libFuzzer and ASan and runs it for the given
# seconds on all cores. Seeds: the build's data file and a minimal file that
# passes the check (one tiny object of each catalogue type), each also as the
# archiver compresses it. Needs clang and the matching libclang-rt-NN-dev.
#   bench/reliability/fuzz.sh BUILD_DIR SECONDS [WORK_DIR]
set -euo pipefail
build=$(realpath "${1:?usage: $0 BUILD_DIR SECONDS [WORK_DIR]}")
seconds=${2:?usage: $0 BUILD_DIR SECONDS [WORK_DIR]}
work=${3:-/tmp/junkfall-fuzz}
src=$(cd "$(dirname "$0")/../.." && pwd)
command -v clang++ > /dev/null || { echo "needs clang: apt-get install clang libclang-rt-14-dev" >&2; exit 2; }
cmake --build "$build" --target data_file
mkdir -p "$work/corpus" "$work/seeds" "$work/crashes"

# shellcheck disable=SC2046  # pkg-config's words are meant to split
clang++ -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -fno-omit-frame-pointer \
  -I"$src/src" "$src/bench/reliability/fuzz_datafile.cpp" "$src/src/data.cpp" "$src/src/data_check.cpp" \
  $(pkg-config --cflags --libs allegro) -o "$work/fuzz_datafile"

cp "$build/media/data.dat" "$work/seeds/data.dat"
python3 - "$work/seeds/minimal.dat" "$src/src/data.h" <<'PY'
import re, struct, sys
names = {int(n): k for k, n in re.findall(r"#define (\w+)\s+(\d+)", open(sys.argv[2]).read()) if k != "DATA_COUNT"}
out = b"slh.ALL." + struct.pack(">i", len(names))
for i in range(len(names)):
    if names[i].endswith("_SAMPLE"):
        kind, body = b"SAMP", struct.pack(">hhi", 8, 11025, 4) + bytes(4)
    elif names[i].endswith("_PAL"):
        kind, body = b"PAL ", bytes(range(64)) * 16
    else:
        kind, body = b"BMP ", struct.pack(">hhh", 8, 2, 2) + bytes([1, 2, 3, 4])
    out += kind + struct.pack(">ii", len(body), len(body)) + body
open(sys.argv[1], "wb").write(out)
PY
# both as the archiver compresses them: each object alone (-c1), the whole file (-c2)
for copy in data-c1 data-c2 minimal-c1 minimal-c2; do
  cp "$work/seeds/${copy%-*}.dat" "$work/seeds/$copy.dat" && dat -n0 "-${copy#*-}" -s0 "$work/seeds/$copy.dat" > /dev/null
done

# First the whole data file, mutated in place: slow, but it reaches the
# loader with real pictures and sounds. Then inputs of at most 8 KiB (larger
# corpus entries are cut to that), where most of the structure lives, at
# many times the speed.
jobs=$(nproc)
status=0
phase() {  # name max_len seconds
  mkdir -p "$work/$1"
  (cd "$work/$1" && "$work/fuzz_datafile" -max_total_time="$3" -max_len="$2" -jobs="$jobs" -workers="$jobs" \
    -artifact_prefix="$work/crashes/" -print_final_stats=1 "$work/corpus" "$work/seeds" > fuzz.log 2>&1) || status=$?
  echo "--- $1 (max_len $2, $3 s on $jobs workers)"
  awk '/^#[0-9]+.*DONE/ { cov = $4 + 0 > cov ? $4 + 0 : cov } /number_of_executed_units/ { runs += $2 }
       /average_exec_per_sec/ { rate += $2 } END { print "  executions " runs ", " rate " per second, coverage " cov " edges" }' \
    "$work/$1"/fuzz-*.log
  grep -h "ERROR\|SUMMARY" "$work/$1"/fuzz-*.log | head -5 || true
}
phase whole-file "$(stat -c %s "$work/seeds/data.dat")" $((seconds / 5))
phase small 8192 $((seconds - seconds / 5))
echo "corpus: $(ls "$work/corpus" | wc -l) inputs; crashes: $(ls "$work/crashes" | wc -l) (in $work/crashes)"

exit $status
