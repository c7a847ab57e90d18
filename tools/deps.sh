#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; quiet when all are there.
set -euo pipefail

packages=(
  cmake make g++ git zip
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick fonts-liberation fonts-wine
  clang libclang-rt-14-dev clang-format cppcheck valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

say() { printf 'deps: %s\n' "$*" >&2; }

if ! command -v apt-get >/dev/null 2>&1; then
  say "apt-get is not available; install these packages by hand: ${missing[*]}"
  exit 1
fi
if ((EUID == 0)); then
  sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo=(sudo -n)
else
  say "missing packages: ${missing[*]}"
  say "run 'make deps' as root (or with passwordless sudo) to install them"
  exit 1
fi

say "installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Wine's 32-bit side needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
say "done"
