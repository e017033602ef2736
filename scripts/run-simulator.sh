#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulator. Arguments are
# passed to the program (for example --data-dir DIR, --zoom 2).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
build
exec "$BUILD_DIR/zenara" "$@"
