#!/usr/bin/env bash
# A short pass of every fuzz target (SECONDS_PER_TARGET each, 15 by default)
# from the seed corpus, in a scratch folder so that the corpus in the tree
# stays as it is. Builds the targets with clang in build/fuzz first, and
# installs clang when it is missing. Fails when a target finds a crash, a
# leak or a hang; the input is then left in the scratch folder's art/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${SECONDS_PER_TARGET:-15}

if ! command -v clang++ >/dev/null 2>&1 ||
   ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang >/dev/null
fi

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKIVO_FUZZ=ON -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz -j2 >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for source in fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  seeds=$PWD/fuzz/corpus/${target%_fuzz}
  mkdir -p "$scratch/$target/corpus" "$scratch/$target/art"
  echo "fuzz: $target for ${seconds}s"
  if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -dict="$PWD/fuzz/kivo.dict" -artifact_prefix="$scratch/$target/art/" \
      "$scratch/$target/corpus" "$seeds" >"$scratch/$target/log" 2>&1; then
    tail -n 60 "$scratch/$target/log"
    echo "fuzz: $target found a fault"
    trap - EXIT
    exit 1
  fi
  grep -E '^(#[0-9]+|Done)' "$scratch/$target/log" | tail -n 1
done
