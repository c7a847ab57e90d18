#!/usr/bin/env bash
# release.reproducible: the same commit gives the same release, byte for byte. The i686 program
# is built again from nothing in another folder, later and under another umask, and must equal
# the one the suite built; the archives and SHA256SUMS are written from the suite's builds and
# again from the second one, later still, in another time zone and umask, into another folder,
# and the two SHA256SUMS must be the same and check, also beside one archive alone.
# Usage: release_test.sh SOURCE_DIR WIN32_DIR WIN64_DIR WORK_DIR
set -uo pipefail
src=$1 win32=$2 win64=$3 work=$4
failed=0

rm -rf "$work" && mkdir -p "$work" || exit 1
"$src/tools/dist.sh" "$win32" "$win64" "$work/dist" > /dev/null || exit 1
first=$(date +%s)

# Configured as the Makefile's exe target configures build/win32; only the program is built.
again="$work/second i686 build"  # a folder with spaces, as a checkout may be
(
    umask 077
    cmake -S "$src" -B "$again" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$src/cmake/i686-w64-mingw32.cmake" > "$work/configure.log" 2>&1 ||
        { cat "$work/configure.log"; exit 1; }
    cmake --build "$again" --target lobecast -j "$(nproc 2>/dev/null || echo 2)" \
        > "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
) || exit 1
if ! cmp -s "$win32/lobecast.exe" "$again/lobecast.exe"; then
    echo "FAIL: $win32/lobecast.exe and $again/lobecast.exe differ" \
        "(offset from 1, then the bytes in octal; if $win32 is older than the sources, make exe):"
    cmp -l "$win32/lobecast.exe" "$again/lobecast.exe" | head -20
    failed=1
fi

# zip stores times in steps of two seconds: let the clock move on by more than one.
while (($(date +%s) < first + 3)); do sleep 0.2; done
# JST-9 is nine hours ahead of UTC, written so that it needs no time zone files.
(umask 077 && TZ=JST-9 "$src/tools/dist.sh" "$again" "$win64" "$work/dist-again" > /dev/null) ||
    exit 1
if ! diff "$work/dist/SHA256SUMS" "$work/dist-again/SHA256SUMS"; then
    echo "FAIL: the archives written twice differ ($work/dist and $work/dist-again)"
    failed=1
fi
(cd "$work/dist-again" && sha256sum -c SHA256SUMS) || failed=1
# One downloaded archive checks as the docs say: beside SHA256SUMS, without the other.
mkdir "$work/one" && cp "$work/dist/SHA256SUMS" "$work/dist"/lobecast-*-win64.zip "$work/one/" &&
    (cd "$work/one" && sha256sum -c --ignore-missing SHA256SUMS) || failed=1
exit $failed
