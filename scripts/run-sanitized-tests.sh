#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer (the
# clang build the fuzz harnesses share, in build-fuzz) and runs them; the
# first finding fails the run. The window tests are left out: they add build
# time, not firmware coverage.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
configure_sanitized
cmake --build "$SANITIZE_DIR" -j2
cd "$SANITIZE_DIR"
# The scan of the built programs for the firmware container's marker reads
# files, not memory: the plain test run does it, and CI once more at its end.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2 --timeout 300 \
  -E '^FirmwareContainerTest.NoBuiltProgramCarriesTheMarker$'
