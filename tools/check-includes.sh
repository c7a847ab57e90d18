#!/bin/sh
# Fails on a quoted include that runs against the layers: win -> app -> model -> platform.
# Run from the top of the work tree; reads the tracked sources of the four layers.
git ls-files --error-unmatch -- app >/dev/null 2>&1 || { echo "no tracked sources found"; exit 1; }
wrong=$(git ls-files -- model app win platform | while read -r file; do
  layer=${file%%/*}
  case $layer in
    platform) banned="model app win" ;;
    model) banned="app win" ;;
    app) banned="win" ;;
    *) continue ;;
  esac
  # Resolved as the compiler does: beside the including file first, then from the top.
  sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" |
    while read -r path; do
      target=$(realpath -m --relative-to=. "$(dirname "$file")/$path")
      [ -e "$target" ] || target=$(realpath -m --relative-to=. "$path")
      for other in $banned; do
        case $target in "$other"/*) echo "$file: #include \"$path\": $layer/ may not use $other/" ;; esac
      done
    done
done)
[ -z "$wrong" ] || { echo "$wrong"; exit 1; }
