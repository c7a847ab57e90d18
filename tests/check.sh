# The shell tests' tally: check LABEL GOT EXPECTED counts a pass or prints the failure;
# check_holds LABEL TEXT PART does so for a TEXT that must hold PART; tally prints the counts
# and fails when any check did.
passed=0 failed=0
check() {
    if [[ $2 == "$3" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL %s: got [%s], expected [%s]\n' "$1" "$2" "$3"
    fi
}
check_holds() {
    if [[ $2 == *"$3"* ]]; then check "$1" ok ok; else check "$1" "$2" "*$3*"; fi
}
tally() {
    echo "$passed passed, $failed failed"
    ((failed == 0))
}
