#!/usr/bin/env bash
# Installs the Debian packages the project needs when any is missing; silent when all are there.
set -uo pipefail

# Usage: tools/deps.sh [PACKAGE...]   (default: everything the project uses)
PACKAGES=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xauth xdotool x11-utils openbox wmctrl imagemagick fonts-liberation fonts-wine
    cmake make g++ git googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-dev cppcheck clang-format valgrind zip debootstrap
)
(($#)) && PACKAGES=("$@")

log() { printf 'deps: %s\n' "$*" >&2; }

if ! command -v dpkg-query >/dev/null; then
    log "no dpkg here (not Debian?); install these by hand: ${PACKAGES[*]}"
    exit 1
fi

installed() { [[ $(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) == installed ]]; }
missing_packages() {
    local p
    for p in "${PACKAGES[@]}"; do installed "$p" || printf '%s\n' "$p"; done
}
has_arch() {
    [[ $(dpkg --print-architecture) == "$1" ]] || dpkg --print-foreign-architectures | grep -qx "$1"
}

# Wine's 32-bit side is of no use where the kernel cannot run 32-bit programs: the x86_64
# build runs under wine64 there, so neither wine32 nor the i386 architecture is installed.
if [[ " ${PACKAGES[*]} " == *" wine32:i386 "* ]] && ! installed wine32:i386 &&
    [[ $(LOBECAST_WINE_ARCH= "$(dirname "${BASH_SOURCE[0]}")/wine-arch" 2>/dev/null) == win64 ]]; then
    for i in "${!PACKAGES[@]}"; do [[ ${PACKAGES[i]} == wine32:i386 ]] && unset 'PACKAGES[i]'; done
    NO_WINE32=1
fi

mapfile -t MISSING < <(missing_packages)
((${#MISSING[@]} == 0)) && exit 0
((${NO_WINE32:-0})) &&
    log "this kernel cannot run 32-bit programs: wine32:i386 is left out (the x86_64 build runs under wine64)"

# Architectures that the missing packages name (wine32:i386 needs i386).
ARCHS=()
for p in "${MISSING[@]}"; do
    [[ $p == *:* ]] && ! has_arch "${p##*:}" && ARCHS+=("${p##*:}")
done

if ((EUID == 0)); then
    AS_ROOT=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    AS_ROOT=(sudo -n)
else
    log "missing packages: ${MISSING[*]}"
    log "installing them needs root: run 'make deps' (or tools/deps.sh) as root or with passwordless sudo"
    exit 1
fi
if ! command -v apt-get >/dev/null; then
    log "missing packages: ${MISSING[*]}; apt-get is not available to install them"
    exit 1
fi

# apt-get's output goes to a log, shown only when something fails.
LOG=$(mktemp "${TMPDIR:-/tmp}/deps.XXXXXX.log")
trap 'rm -f "$LOG"' EXIT
apt() {
    "${AS_ROOT[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get -qq -o DPkg::Lock::Timeout=300 "$@" </dev/null >>"$LOG" 2>&1
}
show_log() { tail -n 30 "$LOG" | sed 's/^/deps:   /' >&2; }

log "installing ${#MISSING[@]} missing package(s): ${MISSING[*]}"
for a in $(printf '%s\n' "${ARCHS[@]}" | sort -u); do
    log "adding the $a architecture"
    "${AS_ROOT[@]}" dpkg --add-architecture "$a" || { log "dpkg --add-architecture $a failed"; exit 1; }
done
apt update || log "apt-get update reported errors; trying the install anyway"
if ! apt install -y --no-install-recommends "${MISSING[@]}"; then
    log "apt-get install failed for: ${MISSING[*]}; its last lines:"
    show_log
    exit 1
fi

mapfile -t STILL < <(missing_packages)
if ((${#STILL[@]})); then
    log "still missing after the install: ${STILL[*]}"
    show_log
    exit 1
fi
log "all packages present"
# wine32 installs on kernels that cannot execute it; say what the project does there.
note=$("$(dirname "${BASH_SOURCE[0]}")/wine-arch" --for "the tests, make run and make bench use" 2>&1 >/dev/null)
[[ -z $note ]] || log "$note"
