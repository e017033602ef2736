#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan and runs them; the first finding fails the run.
BUILD_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build-asan"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
# The GoogleTest program only: the window tests add build time, not firmware coverage.
# Line tables (-g1) are all a finding's stack needs and compile a quarter faster.
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DZENARA_BUILD_QT=OFF -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  "-DCMAKE_CXX_FLAGS=-O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build "$BUILD_DIR" -j2
cd "$BUILD_DIR"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2 --timeout 300
