#!/usr/bin/env bash
# tools/deps.sh against stand-ins for apt-get, dpkg and dpkg-query: a mirror mid-sync that can
# serve everything but wine32:i386 (the rest installs, one line says why, the run goes on),
# any other failure (it stops with apt's lines), a kernel without 32-bit support, nothing missing;
# and without dpkg at all, the commands on PATH that stand for the packages.
# usage: deps_test.sh REPO SCRATCH
set -uo pipefail
repo=${1:?usage: deps_test.sh REPO SCRATCH}
dir=${2:?usage: deps_test.sh REPO SCRATCH}
rm -rf "$dir" && mkdir -p "$dir/bin" || exit 1

# The stand-ins keep the installed packages and the architectures in $FAKE_STATE, one a line.
# FAKE_APT says how apt-get answers an install: ok, midsync (no wine32:i386, the rest
# installs) or broken (nothing installs).
cat >"$dir/bin/dpkg-query" <<'EOF'
#!/bin/sh
for p; do :; done
grep -qx "$p" "$FAKE_STATE/installed" && printf installed
EOF
cat >"$dir/bin/dpkg" <<'EOF'
#!/bin/sh
case $1 in
--print-architecture) echo amd64 ;;
--print-foreign-architectures) cat "$FAKE_STATE/archs" ;;
--add-architecture) echo "$2" >>"$FAKE_STATE/archs" ;;
esac
EOF
cat >"$dir/bin/apt-get" <<'EOF'
#!/bin/sh
while [ "$#" -gt 0 ]; do
    case $1 in -o) shift 2 ;; -*) shift ;; *) break ;; esac
done
cmd=$1
shift
case $cmd in
update)
    [ "$FAKE_APT" != midsync ] && exit 0
    echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
    exit 100 ;;
install)
    packages=
    for p; do case $p in -*) ;; *) packages="$packages $p" ;; esac; done
    case "$FAKE_APT $packages " in
    "midsync "*" wine32:i386 "*)
        echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100 ;;
    broken*)
        echo "E: Unable to locate package xvfb"
        exit 100 ;;
    esac
    for p in $packages; do echo "$p" >>"$FAKE_STATE/installed"; done ;;
esac
EOF
printf '#!/bin/sh\n[ "$1" = -n ] && shift\nexec "$@"\n' >"$dir/bin/sudo"
printf '#!/bin/sh\necho wine-8.0\n' >"$dir/runs"
{ printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\000'; head -c 64 /dev/zero; } >"$dir/refused"
chmod +x "$dir"/bin/* "$dir/runs" "$dir/refused"

# shellcheck source=check.sh
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"

# The messages $2 of case $1 against $3: "=TEXT" all of them (\n between lines), "-" none at
# all, else a part.
says() {
    case $3 in
    -) check "$1: silent" "$2" "" ;;
    =*) check "$1: messages" "$2" "$(printf '%b' "${3#=}")" ;;
    *) check_holds "$1: message" "$2" "$3" ;;
    esac
}

# apt's answer | the i386 probe | installed before | exit | installed after (all, no-wine32,
# none) | the messages: "=TEXT" all of them (\n between lines), "-" none at all, else a part
show=$("$repo/tools/deps.sh" --list show)
while IFS='|' read -r apt probe before rc after note; do
    state=$dir/state-$apt-$probe
    rm -rf "$state" && mkdir "$state" && : >"$state/archs"
    if [[ $before == all ]]; then printf '%s\n' "$show" >"$state/installed"; else : >"$state/installed"; fi
    err=$(PATH=$dir/bin:$PATH FAKE_STATE=$state FAKE_APT=$apt LOBECAST_WINE32_LOADER=$dir/none \
        LOBECAST_WINE64_LOADER=$dir/runs LOBECAST_I386_PROBE=$dir/$probe \
        "$repo/tools/deps.sh" show 2>&1)
    got=$?
    label="apt=$apt probe=$probe before=$before"
    check "$label: exit" "$got" "$rc"
    case $after in
    all) want=$show ;;
    no-wine32) want=$(grep -vx 'wine32:i386' <<<"$show") ;;
    *) want= ;;
    esac
    check "$label: installed" "$(sort "$state/installed")" "$(sort <<<"$want" | grep .)"
    says "$label" "$err" "$note"
done <<'EOF'
midsync|runs||0|no-wine32|=deps: installing 9 missing package(s): python3 wine wine32:i386 wine64 xvfb xdotool imagemagick fonts-liberation fonts-wine\ndeps: adding the i386 architecture\ndeps: apt-get update reported errors; trying the install anyway\ndeps: wine32:i386 cannot be installed (apt: Unable to correct problems, you have held broken packages; apt-get update: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?): the x86_64 build runs under wine64 until 'make deps' brings it
broken|runs||1|none|deps:   E: Unable to locate package xvfb
ok|refused||0|no-wine32|this kernel cannot run 32-bit programs: wine32:i386 is left out
ok|runs||0|all|deps: all packages present
ok|runs|all|0|all|-
EOF
# On the mirror mid-sync, the i386 architecture stays added for the next 'make deps'.
check "midsync: i386 added" "$(cat "$dir/state-midsync-runs/archs")" i386

# Without dpkg and apt (another distribution): the commands that stand for the packages, found on
# a PATH that holds bash and stand-ins for them.
# groups (none: all) | the command left out ("-" none, "*" all of them) | exit | the messages
nodpkg=$dir/no-dpkg
while IFS='|' read -r groups left rc note; do
    rm -rf "$nodpkg" && mkdir "$nodpkg" && ln -s "$(command -v bash)" "$nodpkg/bash" || exit 1
    if [[ $left != '*' ]]; then
        # shellcheck disable=SC2086 # the groups are words
        for c in $("$repo/tools/deps.sh" --commands $groups); do
            [[ $c == "$left" ]] || { printf '#!/bin/sh\n' >"$nodpkg/$c" && chmod +x "$nodpkg/$c"; }
        done
    fi
    # shellcheck disable=SC2086
    err=$(PATH=$nodpkg "$repo/tools/deps.sh" $groups 2>&1)
    check "no dpkg, groups '$groups', without '$left': exit" "$?" "$rc"
    says "no dpkg, groups '$groups', without '$left'" "$err" "$note"
done <<'EOF'
build host|-|0|-
build|i686-w64-mingw32-windres|1|=deps: no dpkg here, and these commands are not on PATH:\ndeps:   i686-w64-mingw32-windres (Debian package g++-mingw-w64-i686)\ndeps: install your system's equivalents (tools/deps.sh --groups says what each group is for)
|-|0|-
|*|1|debootstrap (Debian package debootstrap)
EOF

tally
