# What the project's bash scripts share, sourced (not run) by them: their messages, waiting, the
# program's windows on the display, a build's folders and CTest's counts. Set me=NAME (the
# messages' prefix) before sourcing, and say_fd=2 (or another descriptor) for messages on stderr.
# shellcheck shell=bash disable=SC2034 # the variables that the functions set are the callers'

# say TEXT prints "NAME: TEXT"; die says it and exits 1; fail says "FAIL: TEXT" and exits 1.
say() { printf '%s%s\n' "${me:+$me: }" "$*" >&"${say_fd:-1}"; }
die() { say "$*"; exit 1; }
fail() { die "FAIL: $*"; }

# wait_for SECONDS COMMAND...: runs COMMAND every wait_step seconds (0.1) until it succeeds, or
# fails when SECONDS have passed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep "${wait_step:-0.1}"
    done
}

# The program's visible windows (the main window and the angle dialog share the title), their
# number, whether there are at least or at most $1 of them, and whether process $1 has ended.
windows() { xdotool search --onlyvisible --name '^Lobecast$' 2>/dev/null || true; }
window_count() { windows | wc -l; }
has_windows() { (($(window_count) >= $1)); }
at_most_windows() { (($(window_count) <= $1)); }
gone() { ! kill -0 "$1" 2>/dev/null; }

# arch_dirs BUILD ARCH sets tree, the tree of build ARCH (win32 or win64) in BUILD, and prefix,
# the Wine prefix that tools/winerun runs it in.
arch_dirs() {
    tree=$1/$2 prefix=$1/wine
    [[ $2 != win64 ]] || prefix=$1/wine64
}

# The count $2 (tests, failures, disabled or skipped) of the <testsuite> element in CTest's JUnit
# report $1; nothing when there is no such report.
junit_count() {
    tr '\n\t' '  ' 2>/dev/null <"$1" | grep -o '<testsuite [^>]*>' | sed -n "s/.* $2=\"\([0-9]*\)\".*/\1/p"
}

# ctest_tally JUNIT ARGS... runs ctest ARGS with its JUnit report in JUNIT (an earlier one
# removed), sets ctest_status to its exit status and junit_tests, junit_failures, junit_disabled
# and junit_skipped to the report's counts. Fails when the report lacks one: no results.
ctest_tally() {
    # ctest would write a relative JUNIT under its --test-dir.
    local junit=$1
    [[ $junit == /* ]] || junit=$PWD/$junit
    shift
    rm -f "$junit"
    ctest_status=0
    ctest "$@" --output-junit "$junit" || ctest_status=$?
    junit_tests=$(junit_count "$junit" tests) junit_failures=$(junit_count "$junit" failures)
    junit_disabled=$(junit_count "$junit" disabled) junit_skipped=$(junit_count "$junit" skipped)
    [[ -n $junit_tests && -n $junit_failures && -n $junit_disabled && -n $junit_skipped ]]
}
