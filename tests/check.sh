# The shell tests' tally: check LABEL GOT EXPECTED counts a pass or prints the failure;
# tally prints the counts and fails when any check did.
passed=0 failed=0
check() {
    if [[ $2 == "$3" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL %s: got [%s], expected [%s]\n' "$1" "$2" "$3"
    fi
}
tally() {
    echo "$passed passed, $failed failed"
    ((failed == 0))
}
