#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulator switched on.
# Arguments are passed to the program (for example --data-dir DIR, --zoom 2).
# A program folder without e2.rom first gets the built-in default settings, so
# the default panel shows; an existing e2.rom is left as it is.
# ZENARA_PROGRAM=PATH runs that build of zenara instead of building here.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
program="${ZENARA_PROGRAM:-}"
if [ -z "$program" ]; then
  install_missing
  build
  program="$BUILD_DIR/zenara"
fi
exec "$program" --first-run-defaults --switch-on "$@"
