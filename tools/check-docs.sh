#!/bin/sh
# Fails on a relative link in README.md or docs/*.md that leads to no file or heading, and when
# the package list in docs/setup.md differs from what tools/deps.sh --groups prints.
# Run from the top of the work tree.
[ -f README.md ] && [ -x tools/deps.sh ] || { echo "run from the top of the work tree"; exit 1; }

# The text outside fenced code blocks.
prose() { awk '/^```/ { code = !code; next } !code' "$1"; }
# The anchors of a Markdown file's headings, as GitHub makes them.
anchors() {
  prose "$1" | sed -n 's/^#\{1,6\}[[:space:]]\{1,\}//p' | tr 'A-Z' 'a-z' |
    sed 's/[^a-z0-9 _-]//g; s/ /-/g'
}

wrong=$(for doc in README.md docs/*.md; do
  dir=$(dirname "$doc")
  prose "$doc" | grep -o '\]([^)]*)' | sed 's/^](//; s/)$//; s/[[:space:]].*//' |
    while read -r target; do
      case $target in http://* | https://* | mailto:*) continue ;; esac
      path=${target%%#*}
      file=$doc
      if [ -n "$path" ]; then
        file=$dir/$path
        [ -e "$file" ] || { echo "$doc: link to $target: $file does not exist"; continue; }
      fi
      case $target in
      *#*)
        anchor=${target#*#}
        anchors "$file" | grep -qxF -- "$anchor" ||
          echo "$doc: link to $target: no heading '$anchor' in $file"
        ;;
      esac
    done
done)

# The fenced block after the line that names tools/deps.sh --groups.
listed=$(awk '/tools\/deps\.sh --groups` prints this list/ { found = 1 }
  found && /^```/ { if (block) exit; block = 1; next }
  block { print }' docs/setup.md)
groups=$(tools/deps.sh --groups) || { echo "tools/deps.sh --groups failed"; exit 1; }
if [ "$listed" != "$groups" ]; then
  wrong="$wrong
docs/setup.md: the package list after 'tools/deps.sh --groups prints this list' is
$listed
while tools/deps.sh --groups prints
$groups"
fi

wrong=$(printf '%s\n' "$wrong" | sed '/^$/d')
[ -z "$wrong" ] || { echo "$wrong"; exit 1; }
