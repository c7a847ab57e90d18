#!/usr/bin/env bash
# make exe and make unit as on a system without dpkg and apt, where tools/deps.sh checks the
# commands on PATH instead of the packages: a PATH that offers every command of this one but
# dpkg's and apt's, and a build folder of the test's own (kept, so that a second run only builds
# what changed). The PATH's folder of links is in /tmp, where no space can be (CMake's makefiles
# run make by its path unquoted), at the same path on every run, since the build folder's caches
# name the commands there; it is removed at exit.
# usage: no_dpkg_test.sh REPO SCRATCH
set -uo pipefail
repo=${1:?usage: no_dpkg_test.sh REPO SCRATCH}
dir=${2:?usage: no_dpkg_test.sh REPO SCRATCH}
bin=/tmp/lobecast-no-dpkg-$(id -u)-$(printf '%s' "$dir" | cksum | cut -d' ' -f1)
trap 'rm -rf "$bin"' EXIT
rm -rf "$bin" && mkdir -m 700 "$bin" || exit 1
# A build folder made with the links elsewhere (an earlier layout) names commands that are gone.
[[ $(cat "$dir/links" 2>/dev/null) == "$bin" ]] || rm -rf "${dir:?}/bin" "$dir/build"
mkdir -p "$dir/build" && printf '%s\n' "$bin" >"$dir/links" || exit 1

# shellcheck source=check.sh
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"

IFS=: read -ra path <<<"$PATH"
for d in "${path[@]}"; do
    for f in "$d"/*; do
        name=${f##*/}
        case $name in dpkg* | apt*) continue ;; esac
        [[ -f $f && -x $f && ! -e $bin/$name ]] && ln -s "$f" "$bin/$name"
    done
done
check "dpkg-query and apt-get hidden" "$(PATH=$bin command -v dpkg-query apt-get)" ""

# Not the make that runs this test: its job server is not this make's.
out=$(cd "$repo" && env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL PATH="$bin" \
    make BUILD="$dir/build" exe unit 2>&1)
rc=$?
check "make exe unit: exit" "$rc" 0
((rc == 0)) || tail -n 40 <<<"$out"
check "make exe built the program" "$([[ -f $dir/build/win32/lobecast.exe ]] && echo yes)" yes
check "make unit ran the unit tests" "$(grep -c '^100% tests passed' <<<"$out")" 1
check "tools/deps.sh had nothing to say" "$(grep '^deps:' <<<"$out")" ""

tally
