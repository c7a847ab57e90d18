#!/usr/bin/env bash
# make test's last step: the tests of every tree it built, then one line that totals them.
# The tree of the Windows build that Wine runs here (tools/wine-arch names it) runs all its
# scenarios; the other Windows trees run the quick ones (label quick). Exit 1 if any failed.
# usage: tests/ctest-trees.sh BUILD
set -uo pipefail
me=ctest-trees
# shellcheck source=../tools/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/lib.sh"
build=${1:?usage: tests/ctest-trees.sh BUILD}
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
primary=$(tools/wine-arch --for "the acceptance tests run") || exit 1

rc=0 passed=0 failed=0 skipped=0 summary=
for tree in host win32 win64 msvc32 msvc64; do
    [[ -f $build/$tree/CTestTestfile.cmake ]] || continue
    select=(-L quick) scope=quick
    [[ $tree == host || $tree == "$primary" ]] && select=() scope=all
    printf '\n== %s: %s tests\n' "$tree" "$scope"
    if ! ctest_tally "$build/$tree/ctest-junit.xml" --test-dir "$build/$tree" --output-on-failure \
        "${select[@]}"; then
        say "no results from $build/$tree"
        rc=1
        continue
    fi
    ((ctest_status == 0)) || rc=1
    t=$junit_tests f=$junit_failures d=$junit_disabled s=$junit_skipped
    passed=$((passed + t - f - d - s)) failed=$((failed + f)) skipped=$((skipped + d + s))
    summary+="${summary:+; }$tree $((t - f - d - s))/$t"
done
printf '\nmake test, passed per tree: %s\n' "$summary"
echo "total: $passed passed, $failed failed, $skipped skipped"
((rc == 0 && failed == 0))
