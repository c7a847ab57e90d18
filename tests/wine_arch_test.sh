#!/usr/bin/env bash
# tools/wine-arch and winerun's refusal, against stand-in loaders: one that runs, one that the
# kernel will not execute (as an i386 loader on a kernel without 32-bit support), none at all;
# with no 32-bit loader, a stand-in for the i386 program that asks the kernel instead.
# usage: wine_arch_test.sh REPO SCRATCH
set -uo pipefail
repo=${1:?usage: wine_arch_test.sh REPO SCRATCH}
dir=${2:?usage: wine_arch_test.sh REPO SCRATCH}
rm -rf "$dir" && mkdir -p "$dir" || exit 1

printf '#!/bin/sh\necho wine-8.0\n' >"$dir/runs" && chmod +x "$dir/runs"
# An ELF header for a machine this kernel has no loader for: execve answers ENOEXEC.
{ printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\000'; head -c 64 /dev/zero; } >"$dir/refused"
chmod +x "$dir/refused"

# shellcheck source=check.sh
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"

# forced | 32-bit loader | 64-bit loader | i386 probe | option | what is printed | the note on
# stderr (a part of it)
while IFS='|' read -r forced loader loader64 i386 option arch note; do
    out=$(LOBECAST_WINE_ARCH=$forced LOBECAST_WINE32_LOADER=$dir/$loader LOBECAST_WINE64_LOADER=$dir/$loader64 \
        LOBECAST_I386_PROBE=$dir/$i386 "$repo/tools/wine-arch" --for "the tests run" $option 2>"$dir/err")
    rc=$?
    err=$(<"$dir/err")
    label="LOBECAST_WINE_ARCH=$forced loader=$loader loader64=$loader64 probe=$i386 $option"
    check "$label: exit" "$rc" "$([[ $arch == error ]] && echo 1 || echo 0)"
    [[ $arch == error ]] || check "$label: build" "$out" "$arch"
    if [[ -n $note ]]; then
        check_holds "$label: note" "$err" "$note"
    else
        check "$label: no note" "$err" ""
    fi
done <<'EOF'
|runs|runs|refused||win32|
|refused|runs|runs||win64|this kernel cannot run 32-bit programs (
|missing|missing|runs||win32|
|missing|runs|refused||win64|this kernel cannot run 32-bit programs (a minimal i386 program: Exec format error)
|missing|runs|runs||win64|Wine's 32-bit side is not installed (wine32:i386; 'make deps' brings it): the tests run
|missing|runs|runs|--kernel|win32|
|missing|runs|refused|--kernel|win64|this kernel cannot run 32-bit programs (
auto|refused|runs|runs||win64|: the tests run the x86_64 build under wine64
win64|runs|runs|runs||win64|LOBECAST_WINE_ARCH=win64: the tests run the x86_64 build
win32|refused|runs|runs||win32|
win3|runs|runs|runs||error|use win32, win64 or leave it unset
EOF
check "--loader on a kernel without 32-bit" \
    "$(LOBECAST_WINE32_LOADER=$dir/refused LOBECAST_WINE64_LOADER=$dir/runs "$repo/tools/wine-arch" --loader)" "$dir/runs"

# Forcing the 32-bit build where the kernel refuses it: winerun says why and what to do instead.
err=$(LOBECAST_WINE_ARCH=win32 LOBECAST_WINE32_LOADER=$dir/refused \
    "$repo/tools/winerun" --build "$dir/build" -- true 2>&1)
rc=$?
check "forced win32: winerun's exit" "$rc" 125
case $err in
*"this kernel cannot run 32-bit programs"*"runs the x86_64 build under wine64 instead"*) check "forced win32: message" ok ok ;;
*) check "forced win32: message" "$err" "this kernel cannot run 32-bit programs ... instead" ;;
esac
[[ $err == *deps.sh* ]] && check "forced win32: no deps.sh advice" "$err" "(no mention of deps.sh)"

tally
