#!/usr/bin/env bash
# What a built program carries, read from the file with binutils (no Wine needed, any PE):
# its subsystem, the DLLs it imports, the angle dialog's template and the version resource as
# the resource compiler prints them back, compared with the expected text line by line; and its
# application manifest, which must be MANIFEST byte for byte.
# usage: resource_check.sh WINDRES OBJDUMP PROGRAM EXPECTED MANIFEST
set -uo pipefail
# shellcheck source=../../tools/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"
windres=$1 objdump=$2 program=$3 expected=$4 manifest=$5

headers=$("$objdump" -p "$program") || exit 1
resources=$("$windres" -i "$program" -O rc) || exit 1
actual=$(
    sed -n 's/^Subsystem\t*[0-9a-f]*\t*/subsystem /p' <<<"$headers"
    # Names in any case: the import libraries of mingw-w64 and of Wine spell them differently.
    sed -n 's/^\tDLL Name: /imports /p' <<<"$headers" | tr 'A-Z' 'a-z' | sort
    awk '/Delay Import Directory/ { print "delay-loaded imports", ($3 $4 ~ /[1-9a-fA-F]/) ? "some" : "none" }' <<<"$headers"
    # The dialog and version resources, without windres's comments and blank lines; window
    # class names in one case, as Windows compares them (windres stores "BUTTON", llvm-rc
    # "Button" as written).
    awk '/^\/\* Type: / { keep = ($3 == "dialog" || $3 == "version") }
         keep && !/^ *$/ && !/^\/\*/ && !/^ *Name: /' <<<"$resources" |
        sed '/^ *CONTROL /s/, "\([A-Za-z]*\)", 0x/, "\U\1\E", 0x/'
)
if ! diff -u --label expected --label "$program" <(grep -v '^#' "$expected") - <<<"$actual"; then
    fail "$program differs from $expected (lines marked - expected, + found)"
fi
# windres prints resource 1 of type 24 as quoted lines ("" for a quote, \n for a line end).
carried=$(awk '/^1 24 / { m = 1; next } m && /^END/ { m = 0 } m && /^ *"/' <<<"$resources" |
    sed 's/^ *"//; s/"$//; s/""/"/g' | tr -d '\n')
if ! diff -u --label "$manifest" --label "$program" "$manifest" <(printf '%b' "$carried"); then
    fail "the manifest $program carries is not $manifest"
fi
echo "PASS: $program carries the expected dialog, version resource, imports and manifest"
