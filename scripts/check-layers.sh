#!/usr/bin/env bash
# Fails when an include runs upward in the layer order, naming the file and
# the include. Layers, bottom to top: the Qt-free ones, then their Qt sides,
# then the programs. A file may include from its own layer and those below.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

LAYERS=(hardware firmware sim files link sim/qt link/qt designer desktop "app tools bench")

# The layer's rank of a path, or nothing for a path outside every layer.
rank() {
  local path=$1 best="" i word
  for i in "${!LAYERS[@]}"; do
    for word in ${LAYERS[$i]}; do
      # The longest matching folder wins: sim/qt/x.h is in sim/qt, not sim.
      if [[ $path == "$word"/* ]] && { [ -z "$best" ] || [ ${#word} -gt ${#bestWord} ]; }; then
        best=$i bestWord=$word
      fi
    done
  done
  echo "$best"
}

failures=0
while IFS= read -r file; do
  own=$(rank "$file")
  [ -n "$own" ] || continue
  while IFS=: read -r line include; do
    target=$(rank "$include")
    if [ -z "$target" ]; then
      echo "$file:$line: includes \"$include\", which is in no layer" >&2
      failures=$((failures + 1))
    elif [ "$target" -gt "$own" ]; then
      echo "$file:$line: includes \"$include\" from ${LAYERS[$target]}, above its own layer ${LAYERS[$own]}" >&2
      failures=$((failures + 1))
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/' |
           grep -v '\.moc$' || true)
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp' | grep -v '^tests/')

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) run upward" >&2
  exit 1
fi
echo "check-layers: every include points down"
