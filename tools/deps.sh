#!/usr/bin/env bash
# The Debian packages the project uses, in groups by purpose: installs the missing ones of the
# groups asked for, silently when all are there, or lists them.
set -uo pipefail

usage() {
    cat <<'USAGE'
usage: tools/deps.sh [GROUP...]              install what is missing (default: every group)
       tools/deps.sh --list [GROUP...]       print the packages, one a line
       tools/deps.sh --installed [GROUP...]  the same, only those installed now
       tools/deps.sh --groups                each group, what it is for and its packages
       tools/deps.sh --commands [GROUP...]   the commands that stand for the packages where
                                             there is no dpkg (other systems), one a line

Each make target installs the groups it needs (the Makefile's deps-* targets name them);
make deps installs every group. Installing needs root or passwordless sudo; otherwise run
'sudo make deps' once, then make as yourself.
USAGE
}

# The one list: a group a line, its purpose, then its packages. A package may sit in two
# groups; it is installed and listed once.
NAMES=()
declare -A PURPOSE=() PACKAGES_OF=()
while IFS='|' read -r name purpose packages; do
    NAMES+=("$name") PURPOSE[$name]=$purpose PACKAGES_OF[$name]=$packages
done <<'GROUPS'
build|cross-compiling|g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake make
show|Wine, a private X display, the pictures|python3 wine wine32:i386 wine64 xvfb xdotool imagemagick fonts-liberation fonts-wine
dist|release archives and their check|zip
host|host unit tests|g++ cmake googletest libgtest-dev libgmock-dev
test|hardening, lint, window-manager tests|valgrind cppcheck clang-format git openbox wmctrl x11-utils pyflakes3
bench|the benchmarks' process figures (pgrep)|procps
msvc|the MSVC branch built by clang-cl against Wine's SDK|clang lld llvm libwine-dev
debian13|Debian roots for make test-debian13|debootstrap git
GROUPS

# Where there is no dpkg to ask (another distribution), a package counts as present when the
# commands it brings, the ones the project calls, are on PATH. Libraries, headers and fonts
# bring none: CMake says when GoogleTest is missing, the MSVC build when Wine's headers are,
# and winerun when Wine's fonts are. wine64 and wine32:i386 are Wine's loaders, which
# tools/wine-arch finds by path (LOBECAST_WINE64_LOADER, LOBECAST_WINE32_LOADER).
declare -A COMMANDS_OF=(
    [g++-mingw-w64-i686]="i686-w64-mingw32-g++ i686-w64-mingw32-windres"
    [g++-mingw-w64-x86-64]="x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres"
    [cmake]="cmake ctest" [make]=make [g++]=g++ [zip]=zip [git]=git [procps]=pgrep
    [wine]="wine wineboot wineserver" [wine32:i386]="" [wine64]="" [xvfb]=Xvfb [xdotool]=xdotool
    [imagemagick]="convert import" [fonts-liberation]="" [fonts-wine]=""
    [googletest]="" [libgtest-dev]="" [libgmock-dev]="" [valgrind]=valgrind [cppcheck]=cppcheck
    [clang-format]=clang-format [openbox]=openbox [wmctrl]=wmctrl [x11-utils]=xprop
    [clang]=clang [lld]=lld-link [llvm]="llvm-rc llvm-lib llvm-mt" [libwine-dev]=""
    [debootstrap]=debootstrap [python3]=python3 [pyflakes3]=pyflakes3
)

# Found without dirname: a test runs this with a PATH that holds bash alone.
me=deps say_fd=2
# shellcheck source=lib.sh
source "${BASH_SOURCE[0]%/*}/lib.sh"

MODE=install
case ${1:-} in
--list | --installed | --groups | --commands) MODE=${1#--}; shift ;;
-h | --help) usage; exit 0 ;;
-*) say "unknown option $1"; usage >&2; exit 2 ;;
esac
(($#)) || set -- "${NAMES[@]}"
for g in "$@"; do
    [[ -n ${PACKAGES_OF[$g]:-} ]] || { say "unknown group '$g' (groups: ${NAMES[*]})"; exit 2; }
done

if [[ $MODE == groups ]]; then
    for g in "${NAMES[@]}"; do printf '%-9s %s: %s\n' "$g" "${PURPOSE[$g]}" "${PACKAGES_OF[$g]}"; done
    exit 0
fi

# The packages of the groups asked for, in the list's order, each once.
PACKAGES=()
declare -A SEEN=()
for g in "$@"; do
    for p in ${PACKAGES_OF[$g]}; do
        [[ -n ${SEEN[$p]:-} ]] || PACKAGES+=("$p")
        SEEN[$p]=1
    done
done

if [[ $MODE == list ]]; then
    printf '%s\n' "${PACKAGES[@]}"
    exit 0
fi

for p in "${PACKAGES[@]}"; do
    [[ -v COMMANDS_OF[$p] ]] || { say "no commands listed for the package $p"; exit 2; }
done
if [[ $MODE == commands ]]; then
    for p in "${PACKAGES[@]}"; do for c in ${COMMANDS_OF[$p]}; do echo "$c"; done; done
    exit 0
fi

if ! command -v dpkg-query >/dev/null; then
    [[ $MODE == install ]] || die "no dpkg here to ask which packages are installed"
    MISSING=()
    for p in "${PACKAGES[@]}"; do
        for c in ${COMMANDS_OF[$p]}; do
            command -v "$c" >/dev/null || MISSING+=("$c (Debian package $p)")
        done
    done
    ((${#MISSING[@]} == 0)) && exit 0
    say "no dpkg here, and these commands are not on PATH:"
    printf 'deps:   %s\n' "${MISSING[@]}" >&2
    die "install your system's equivalents (tools/deps.sh --groups says what each group is for)"
fi

installed() { [[ $(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) == installed ]]; }
missing_packages() {
    local p
    for p in "${PACKAGES[@]}"; do installed "$p" || printf '%s\n' "$p"; done
}

if [[ $MODE == installed ]]; then
    for p in "${PACKAGES[@]}"; do installed "$p" && printf '%s\n' "$p"; done
    exit 0
fi

has_arch() {
    [[ $(dpkg --print-architecture) == "$1" ]] || dpkg --print-foreign-architectures | grep -qx "$1"
}
without() { local p; for p in "${@:2}"; do [[ $p == "$1" ]] || printf '%s\n' "$p"; done; }
wants_wine32() { [[ " ${PACKAGES[*]} " == *" wine32:i386 "* ]] && ! installed wine32:i386; }
# Wine's 32-bit side is of no use where the kernel cannot run 32-bit programs: the x86_64
# build runs under wine64 there, so neither wine32 nor the i386 architecture is installed.
if wants_wine32 &&
    [[ $(LOBECAST_WINE_ARCH= "$(dirname "${BASH_SOURCE[0]}")/wine-arch" --kernel 2>/dev/null) == win64 ]]; then
    mapfile -t PACKAGES < <(without wine32:i386 "${PACKAGES[@]}")
    NO_WINE32=1
fi

mapfile -t MISSING < <(missing_packages)
((${#MISSING[@]} == 0)) && exit 0
((${NO_WINE32:-0})) &&
    say "this kernel cannot run 32-bit programs: wine32:i386 is left out (the x86_64 build runs under wine64)"

# Architectures that the missing packages name (wine32:i386 needs i386).
ARCHS=()
for p in "${MISSING[@]}"; do
    [[ $p == *:* ]] && ! has_arch "${p##*:}" && ARCHS+=("${p##*:}")
done

if ((EUID == 0)); then
    AS_ROOT=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    AS_ROOT=(sudo -n)
elif [[ ${MISSING[*]} == wine32:i386 ]]; then
    # What an earlier 'sudo make deps' could not install is no reason to stop: the x86_64
    # build runs under wine64 meanwhile.
    say "wine32:i386 is not installed, and installing it needs root ('sudo make deps'):" \
        "the x86_64 build runs under wine64"
    exit 0
else
    say "missing packages: ${MISSING[*]}"
    say "installing them needs root: run 'sudo make deps' once (it installs every group),"
    die "then run make as yourself again, so that build/ stays yours"
fi
if ! command -v apt-get >/dev/null; then
    say "missing packages: ${MISSING[*]}; apt-get is not available to install them"
    die "(tools/deps.sh --groups says what each is for)"
fi

# apt-get's output goes to logs, shown only when something fails.
LOG=$(mktemp "${TMPDIR:-/tmp}/deps.XXXXXX.log")
UPDATE_LOG=$(mktemp "${TMPDIR:-/tmp}/deps-update.XXXXXX.log")
trap 'rm -f "$LOG" "$UPDATE_LOG"' EXIT
apt() {
    "${AS_ROOT[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get -qq -o DPkg::Lock::Timeout=300 "$@" </dev/null >>"$LOG" 2>&1
}
show_log() { tail -n 30 "$LOG" | sed 's/^/deps:   /' >&2; }
# apt's first error line in file $1 matching $2, without the "E: " and the mirror's address.
first_error() { grep -m1 -E "^E: .*$2" "$1" | sed -E 's/^E: //; s/ \[IP: [^]]*\]//; s/[.]$//'; }

say "installing ${#MISSING[@]} missing package(s): ${MISSING[*]}"
for a in $(printf '%s\n' "${ARCHS[@]}" | sort -u); do
    say "adding the $a architecture"
    "${AS_ROOT[@]}" dpkg --add-architecture "$a" || die "dpkg --add-architecture $a failed"
done
apt update || say "apt-get update reported errors; trying the install anyway"
mv "$LOG" "$UPDATE_LOG" && : >"$LOG"
if ! apt install -y --no-install-recommends "${MISSING[@]}"; then
    mapfile -t REST < <(without wine32:i386 "${MISSING[@]}")
    # A mirror in the middle of a sync can leave the i386 packages behind their amd64 twins,
    # so that wine32:i386 alone cannot be installed. The x86_64 build runs under wine64
    # meanwhile; any other failure stops here with apt's lines.
    if ((${#REST[@]} == ${#MISSING[@]})) ||
        { ((${#REST[@]})) && ! apt install -y --no-install-recommends "${REST[@]}"; }; then
        say "apt-get install failed for: ${MISSING[*]}; its last lines:"
        show_log
        exit 1
    fi
    why=$(first_error "$LOG" .)
    index=$(first_error "$UPDATE_LOG" 'i386')
    say "wine32:i386 cannot be installed (apt: ${why:-no reason given}${index:+; apt-get update: $index}):" \
        "the x86_64 build runs under wine64 until 'make deps' brings it"
    mapfile -t PACKAGES < <(without wine32:i386 "${PACKAGES[@]}")
    WINE32_HELD=1
fi

mapfile -t STILL < <(missing_packages)
if ((${#STILL[@]})); then
    say "still missing after the install: ${STILL[*]}"
    show_log
    exit 1
fi
((${WINE32_HELD:-0})) && exit 0
say "all packages present"
# wine32 installs on kernels that cannot execute it; say what the project does there.
note=$("$(dirname "${BASH_SOURCE[0]}")/wine-arch" --for "the tests, make run and make bench use" 2>&1 >/dev/null)
[[ -z $note ]] || say "$note"
