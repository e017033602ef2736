#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
build
cd "$BUILD_DIR"
# Most window, link and program tests wait on real time (time-outs, a fake
# instrument answering late) and use little processor, so three run per core.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$((3 * $(nproc)))" --timeout 300
