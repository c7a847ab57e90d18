#!/bin/sh
# Fails on a relative link in README.md or docs/*.md that leads to no file or heading, a heading
# that appears twice in one file, a copy of the package list that differs from what
# tools/deps.sh --groups prints, a picture in docs/ that no page shows, and figures in
# docs/benchmarks.md that name a commit after which bench/ changed.
# Run from the top of the work tree.
[ -f README.md ] && [ -x tools/deps.sh ] || { echo "run from the top of the work tree"; exit 1; }

# The text outside fenced code blocks.
prose() { awk '/^```/ { code = !code; next } !code' "$1"; }
# The headings of a Markdown file, then their anchors as GitHub makes them.
headings() { prose "$1" | sed -n 's/^#\{1,6\}[[:space:]]\{1,\}//p'; }
anchors() { headings "$1" | tr 'A-Z' 'a-z' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'; }

wrong=$(for doc in README.md docs/*.md; do
  dir=$(dirname "$doc")
  headings "$doc" | sort | uniq -d | sed "s|^|$doc: the heading '|; s|\$|' appears more than once|"
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

# Every fenced block after a line that names tools/deps.sh --groups is that command's output.
groups=$(tools/deps.sh --groups) || { echo "tools/deps.sh --groups failed"; exit 1; }
lists=$(for doc in README.md docs/*.md; do
  printf '%s\n' "$groups" | awk -v doc="$doc" '
    FNR == NR { want = want $0 "\n"; next }
    /tools\/deps\.sh --groups` prints this list/ { found = 1; copies++; next }
    found && /^```/ {
      if (block) {
        if (text != want) printf "%s: the package list at line %d is\n%swhile tools/deps.sh --groups prints\n%s", doc, start, text, want
        block = found = 0
      } else { block = 1; text = ""; start = FNR + 1 }
      next
    }
    block { text = text $0 "\n" }' - "$doc"
done)
[ -n "$(grep -l 'tools/deps.sh --groups` prints this list' README.md docs/*.md)" ] ||
  lists="no page carries the package list that tools/deps.sh --groups prints"

# Every picture in docs/ is shown somewhere.
unused=$(for picture in docs/*.png docs/*.gif; do
  [ -e "$picture" ] || continue
  name=${picture#docs/}
  grep -qF "($name)" docs/*.md || grep -qF "(docs/$name)" README.md || echo "$picture is shown on no page"
done)

# "taken at commit X; bench/ has not changed since" stays true (where git has the history).
stale=
commit=$(sed -n 's/.*taken at commit \([0-9a-f]\{7,40\}\).*/\1/p' docs/benchmarks.md | head -n 1)
if [ -z "$commit" ]; then
  stale="docs/benchmarks.md: no 'taken at commit ...' for its figures"
elif git rev-parse --is-inside-work-tree >/dev/null 2>&1 &&
  [ "$(git rev-parse --is-shallow-repository)" = false ]; then
  if ! git rev-parse -q --verify "$commit^{commit}" >/dev/null; then
    stale="docs/benchmarks.md: its figures name commit $commit, which this history lacks"
  elif [ -n "$(git log --format=%h "$commit..HEAD" -- bench/)" ]; then
    stale="docs/benchmarks.md: its figures are from commit $commit, and bench/ has changed since: \
$(git log --format=%h "$commit..HEAD" -- bench/ | tr '\n' ' ')(make bench, then record the new ones)"
  fi
fi

wrong=$(printf '%s\n%s\n%s\n%s\n' "$wrong" "$lists" "$unused" "$stale" | sed '/^$/d')
[ -z "$wrong" ] || { echo "$wrong"; exit 1; }
