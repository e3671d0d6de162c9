#!/usr/bin/env bash
# Builds the fuzz targets with clang (a project of their own), or runs one of them for a bounded
# time on its committed seed corpus. Any crash or sanitizer report fails the run.
#   run_fuzz.sh build <fuzz-source-dir> <build-dir>
#   run_fuzz.sh run   <fuzz-source-dir> <build-dir> <target> <seed-corpus-dir>
# LUMRA_FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail

mode=$1 src=$(realpath "$2") build=$(realpath -m "$3")

case $mode in
build)
    for tool in clang++ cmake ninja; do
        command -v "$tool" >/dev/null || { echo "run_fuzz: $tool is missing; run scripts/setup" >&2; exit 1; }
    done
    # libFuzzer's runtime comes with libclang-rt-<version>-dev.
    if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
        echo "run_fuzz: clang++ cannot link libFuzzer (libclang-rt-14-dev); run scripts/setup" >&2
        exit 1
    fi
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$build"
    ;;
run)
    target=$4 seeds=$(realpath "$5")
    # New inputs go to a corpus in the build folder; the committed seeds are only read.
    work="$build/corpus-$target"
    mkdir -p "$work" "$build/artifacts-$target"
    cd "$build/artifacts-$target"
    "$build/$target" -max_total_time="${LUMRA_FUZZ_SECONDS:-20}" -max_len=8192 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts-$target/" "$work" "$seeds"
    ;;
*)
    echo "usage: $0 build|run ..." >&2
    exit 2
    ;;
esac
