# Shared by the run and test scripts: install what is missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
PACKAGES=(build-essential cmake qt6-base-dev qt6-serialport-dev qt6-qpa-plugins fonts-dejavu-core libgl-dev libgtest-dev
  libgmock-dev libbenchmark-dev poppler-utils)
# scripts/build-package.sh: man pages from --help, and the package's checks.
PACKAGING=(help2man lintian desktop-file-utils appstream)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

# One clang build with AddressSanitizer, UndefinedBehaviorSanitizer and the
# fuzzers' coverage serves both the sanitizer tests and the fuzz harnesses.
# Line tables (-g1) are all a finding's stack needs.
SANITIZE_DIR="${SANITIZE_DIR:-$ROOT/build-fuzz}"
configure_sanitized() {
  install_missing clang libclang-rt-14-dev
  cmake -S "$ROOT" -B "$SANITIZE_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DCMAKE_CXX_COMPILER=clang++ -DZENARA_BUILD_FUZZ=ON -DZENARA_BUILD_QT=OFF -DZENARA_BUILD_TESTS=ON >/dev/null
}

build() {
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$BUILD_DIR" -j2
}
