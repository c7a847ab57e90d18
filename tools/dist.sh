#!/usr/bin/env bash
# Writes the release archives lobecast-VERSION-win32.zip and lobecast-VERSION-win64.zip (the
# program and a short CRLF readme, for Notepad) and their SHA256SUMS into OUT_DIR, from two
# configured and built Windows trees. Prints the paths it wrote.
#
# Usage: tools/dist.sh WIN32_DIR WIN64_DIR OUT_DIR
#
# The same commit gives the same bytes, whatever the folder, the clock, the time zone or the
# umask: the version comes from the trees (project(VERSION) in CMakeLists.txt), every file in
# the archives carries one time, fixed permissions and a fixed order, and zip stores no extra
# fields (-X: no uid/gid, no Unix times). That time is SOURCE_DATE_EPOCH when it is set, else
# the time of the commit checked out in this source tree. Outside a git checkout, without
# SOURCE_DATE_EPOCH, there is no such time: this stops with an error rather than stamp the
# archives with the clock.
set -euo pipefail
me=dist say_fd=2
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

(($# == 3)) || { echo "usage: tools/dist.sh WIN32_DIR WIN64_DIR OUT_DIR" >&2; exit 2; }
src=$(cd "$(dirname "$0")/.." && pwd)
declare -A tree=([win32]=$1 [win64]=$2)
out=$3

# The version a tree was configured with, from the header its program was compiled with.
version_of() {
    local header=$1/generated/lobecast_version.h v
    [[ -f $header ]] || die "$header not found: configure and build $1 first (make exe win64)"
    v=$(sed -n 's/^#define LOBECAST_VERSION "\(.*\)"$/\1/p' "$header")
    [[ $v =~ ^[0-9]+(\.[0-9]+)*$ ]] || die "no version number in $header"
    printf '%s' "$v"
}
version=$(version_of "${tree[win32]}")
version64=$(version_of "${tree[win64]}")
[[ $version64 == "$version" ]] ||
    die "${tree[win32]} is version $version but ${tree[win64]} is $version64: rebuild both"
for arch in win32 win64; do
    [[ -f ${tree[$arch]}/lobecast.exe ]] || die "${tree[$arch]}/lobecast.exe not found: build it first"
done

if [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
    [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] ||
        die "SOURCE_DATE_EPOCH is '$SOURCE_DATE_EPOCH', not a number of seconds since 1970"
    epoch=$SOURCE_DATE_EPOCH
# Only this tree's own repository: a source tree unpacked inside another one is no checkout.
elif top=$(git -C "$src" rev-parse --show-toplevel 2>/dev/null) && [[ $top -ef $src ]]; then
    epoch=$(git -C "$src" log -1 --format=%ct) || die "$src has no commit to take the time from"
else
    die "$src is not a git checkout, so there is no commit time for the archives' files;" \
        "set SOURCE_DATE_EPOCH (seconds since 1970) to the time they should carry"
fi

# zip keeps DOS local time, so the zone is fixed; ZIPOPT and ZIP would add options of their own.
export TZ=UTC LC_ALL=C
unset ZIPOPT ZIP
umask 022

mkdir -p "$out"
out=$(cd "$out" && pwd)
# SHA256SUMS lists exactly the archives beside it: an earlier version's are removed.
rm -f "$out"/lobecast-*-win32.zip "$out"/lobecast-*-win64.zip "$out/SHA256SUMS"

title="Lobecast $version"
underline=$(printf '%*s' ${#title} '' | tr ' ' '=')
zips=()
for arch in win32 win64; do
    stage=$out/stage-$arch
    zip=lobecast-$version-$arch.zip
    rm -rf "$stage" && mkdir "$stage"
    cp "${tree[$arch]}/lobecast.exe" "$stage/lobecast.exe"
    sed "/^#/d; s/@VERSION@/$version/; s/@UNDERLINE@/$underline/; s/@BITS@/${arch#win}/; s/\$/\r/" \
        "$src/tools/dist-readme.txt" > "$stage/README.txt"
    chmod 0755 "$stage/lobecast.exe"
    chmod 0644 "$stage/README.txt"
    touch -d "@$epoch" "$stage/lobecast.exe" "$stage/README.txt"
    (cd "$stage" && zip -q -X "$out/$zip" lobecast.exe README.txt)
    zips+=("$zip")
    echo "$out/$zip"
done
# Names relative to the folder, so `sha256sum -c SHA256SUMS` checks them there.
(cd "$out" && sha256sum -- "${zips[@]}" > SHA256SUMS)
echo "$out/SHA256SUMS"
