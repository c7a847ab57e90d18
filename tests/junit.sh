# The count $2 (tests, failures, disabled or skipped) of the <testsuite> element in CTest's JUnit
# report $1; nothing when there is no such report. Sourced by tests/ctest-trees.sh and tools/soak.sh.
junit_count() {
    tr '\n\t' '  ' 2>/dev/null <"$1" | grep -o '<testsuite [^>]*>' | sed -n "s/.* $2=\"\([0-9]*\)\".*/\1/p"
}
