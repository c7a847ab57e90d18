#!/usr/bin/env bash
# make test's last step: the tests of every tree it built, then one line that totals them.
# The tree of the Windows build that Wine runs here (tools/wine-arch names it) runs all its
# scenarios; the other Windows trees run the quick ones (label quick). Exit 1 if any failed.
# usage: tests/ctest-trees.sh BUILD
set -uo pipefail
build=${1:?usage: tests/ctest-trees.sh BUILD}
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
primary=$(tools/wine-arch --for "the acceptance tests run") || exit 1

# shellcheck source=junit.sh
source tests/junit.sh

rc=0 passed=0 failed=0 skipped=0 summary=
for tree in host win32 win64 msvc32 msvc64; do
    [[ -f $build/$tree/CTestTestfile.cmake ]] || continue
    select=(-L quick) scope=quick
    [[ $tree == host || $tree == "$primary" ]] && select=() scope=all
    printf '\n== %s: %s tests\n' "$tree" "$scope"
    junit=$build/$tree/ctest-junit.xml
    rm -f "$junit"
    ctest --test-dir "$build/$tree" --output-on-failure --output-junit "$junit" "${select[@]}" || rc=1
    t=$(junit_count "$junit" tests) f=$(junit_count "$junit" failures)
    d=$(junit_count "$junit" disabled) s=$(junit_count "$junit" skipped)
    if [[ -z $t || -z $f || -z $d || -z $s ]]; then
        echo "ctest-trees: no results from $build/$tree"
        rc=1
        continue
    fi
    passed=$((passed + t - f - d - s)) failed=$((failed + f)) skipped=$((skipped + d + s))
    summary+="${summary:+; }$tree $((t - f - d - s))/$t"
done
printf '\nmake test, passed per tree: %s\n' "$summary"
echo "total: $passed passed, $failed failed, $skipped skipped"
((rc == 0 && failed == 0))
