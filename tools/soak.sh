#!/usr/bin/env bash
# make soak: ROUNDS rounds of the Wine scenarios (label e2e) in the tree of the build that Wine
# runs here, each round from a fresh prefix, and what failed. A measurement, like the bench:
# make test never runs it. Prints a line a round and a total, keeps each round's CTest output
# and JUnit report in BUILD/soak/ARCH/, and exits 1 when any test failed.
# usage: tools/soak.sh BUILD [ROUNDS]   (ROUNDS: 20; LOBECAST_WINE_ARCH=win64 soaks the x86_64 tree)
set -uo pipefail
me=soak
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build=${1:?usage: tools/soak.sh BUILD [ROUNDS]}
rounds=${2:-20}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { say "ROUNDS must be a whole number above 0, got '$rounds'"; exit 2; }
build=$(cd "$build" && pwd) || exit 1
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
arch=$(tools/wine-arch --for "the soak runs") || exit 1
arch_dirs "$build" "$arch"
[[ -f $tree/CTestTestfile.cmake ]] || die "$tree is not built (make soak builds it)"
out=$build/soak/$arch
rm -rf "$out" && mkdir -p "$out" || exit 1

say "$rounds rounds of ctest -L e2e in $tree, each from a fresh prefix ($prefix)"
total=0 failed=0 skipped=0 retries=0 failures=()
start=$SECONDS
for ((round = 1; round <= rounds; round++)); do
    t0=$SECONDS
    tools/winerun --build "$build" --arch "$arch" --remove-prefix || exit 1
    touch "$out/round-$round.start"
    if ! ctest_tally "$out/round-$round.xml" --test-dir "$tree" -L e2e --output-on-failure \
        >"$out/round-$round.log" 2>&1; then
        say "round $round: no results from CTest; its output: $out/round-$round.log"
        failed=$((failed + 1)) failures+=("round $round: no results")
        continue
    fi
    n=$junit_tests f=$junit_failures s=$junit_skipped
    names=$(grep -o '<testcase name="[^"]*"[^>]*status="fail"' "$out/round-$round.xml" |
        sed 's/<testcase name="\([^"]*\)".*/\1/' | tr '\n' ' ')
    # Set-up steps that winerun retried once (in the logs of this round's runs).
    r=$(find "$build/winerun" -name '*.log' -newer "$out/round-$round.start" -print0 |
        xargs -0 -r grep -l 'retrying once' | wc -l)
    total=$((total + n)) failed=$((failed + f)) skipped=$((skipped + s)) retries=$((retries + r))
    [[ -z $names ]] || failures+=("round $round: $names")
    say "round $round/$rounds: $((n - f - s)) passed, $f failed${names:+ ($names)}, $s skipped," \
        "$r set-up retries, $((SECONDS - t0)) s"
done
{
    say "$rounds rounds in $tree ($(tools/wine-arch 2>/dev/null), $(wine --version 2>/dev/null)), $((SECONDS - start)) s"
    say "$total tests, $failed failed, $skipped skipped, $retries set-up retries"
    for f in "${failures[@]}"; do say "failed in $f"; done
} | tee "$out/summary.txt"
((failed == 0))
