# Lobecast: `make run` shows the demo, `make test` runs every test, `make unit` the host unit
# tests alone. Each target installs the packages it needs and no more; `make deps` installs
# them all.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Any checkout path works, spaces included (make's own path functions split on them, so the
# folder is joined by hand, and every recipe quotes it).
B := $(if $(filter /%,$(BUILD)),$(BUILD),$(CURDIR)/$(BUILD))

CMAKE_HOST  = cmake -S . -B "$(B)/host" -DCMAKE_BUILD_TYPE=Debug "-DLOBECAST_WIN32_DIR=$(B)/win32" \
              "-DLOBECAST_WIN64_DIR=$(B)/win64"
CMAKE_WIN32 = cmake -S . -B "$(B)/win32" -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="$(CURDIR)/cmake/i686-w64-mingw32.cmake"
CMAKE_WIN64 = cmake -S . -B "$(B)/win64" -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="$(CURDIR)/cmake/x86_64-w64-mingw32.cmake"

.PHONY: all deps host unit exe win64 msvc32 msvc64 wine-build test test-debian13 run demo dist clean format

all: exe

# Packages, by the groups of tools/deps.sh (`tools/deps.sh --groups` lists them): building
# takes build; running the program adds show; the tests add dist, host and test, the
# benchmarks bench; the unit tests alone take host. Installing needs root: `sudo make deps`
# once, then the rest as yourself.
.PHONY: deps-build deps-show deps-dist deps-host deps-test deps-bench deps-msvc as-yourself
deps:
	@tools/deps.sh
deps-build: as-yourself
	@tools/deps.sh build
deps-show: as-yourself
	@tools/deps.sh build show
deps-dist: as-yourself
	@tools/deps.sh build dist
deps-host: as-yourself
	@tools/deps.sh host
deps-test: as-yourself
	@tools/deps.sh build show dist host test
deps-bench: as-yourself
	@tools/deps.sh build show bench
deps-msvc: as-yourself
	@tools/deps.sh build msvc

# `sudo make run` in your own checkout would leave a build folder that belongs to root.
as-yourself:
	@if [ "$$(id -u)" = 0 ] && [ -n "$${SUDO_UID:-}" ] && [ "$$(stat -c %u .)" = "$$SUDO_UID" ]; then \
	  echo "make: $(B) would belong to root: run make as yourself, not with sudo" \
	    "('sudo make deps' is the one step that needs root)." >&2; exit 1; fi
	@[ ! -e "$(B)" ] || [ -w "$(B)" ] || { echo "make: $(B) is not writable by $$(id -un)" \
	  "(made by an earlier sudo make?); remove it with: sudo rm -rf '$(B)'" >&2; exit 1; }

# A tree: $(call TREE,NAME,CONFIGURE) configures $(B)/NAME with the command CONFIGURE, its output
# kept in $(B)/NAME-configure.log and shown when it fails, then builds it.
define TREE
	@mkdir -p "$(B)"
	@$(2) > "$(B)/$(1)-configure.log" 2>&1 || { cat "$(B)/$(1)-configure.log"; exit 1; }
	cmake --build "$(B)/$(1)" -j $(JOBS)
endef

# The host tree, configured the same way for host and unit, so the two share one build.
host: deps-test
	$(call TREE,host,$(CMAKE_HOST))

# The host unit tests alone (label unit), in seconds once built: no Windows tree, no Wine.
unit: deps-host
	$(call TREE,host,$(CMAKE_HOST))
	ctest --test-dir "$(B)/host" -L unit -j $(JOBS) --output-on-failure

exe: deps-build
	$(call TREE,win32,$(CMAKE_WIN32))

# The 64-bit build catches pointer and LONG truncation faults, and it is what Wine runs where
# the kernel cannot run 32-bit programs.
win64: deps-build
	$(call TREE,win64,$(CMAKE_WIN64))

# The MSVC branch of CMakeLists.txt, built by clang-cl, lld-link and llvm-rc with Wine's headers
# and import libraries as the SDK (cmake/clang-cl-common.cmake), in $(B)/msvc32 and $(B)/msvc64;
# their tests run the mingw build's driver against them. Only where Wine's headers compile in
# MSVC mode (Wine 10 on): Wine 8's winnt.h defines functions named after clang's builtins.
# Wine's i386 import libraries come from libwine-dev:i386, unpacked into $(B)/wine-i386 where
# that package is not installed. Where a tree cannot be built, $(B)/msvcNN.skipped says why,
# and the host tree lists its tests as skipped.
WINE_INCLUDE = /usr/include/wine/wine
MSVC_SKIP = { echo "make: $@ skipped: $$why"; echo "$$why" > "$(B)/$@.skipped"; exit 0; }
MSVC_PROBE = printf '\043include <windows.h>\n' > "$(B)/msvc-probe.cpp" && \
  clang --driver-mode=cl --target=x86_64-pc-windows-msvc -imsvc $(WINE_INCLUDE)/msvcrt \
    -imsvc $(WINE_INCLUDE)/windows /TP /Zs -- "$(B)/msvc-probe.cpp" > "$(B)/msvc-probe.log" 2>&1 || \
  { why="Wine's headers here ($$(wine --version)) do not compile in MSVC mode ($(B)/msvc-probe.log); Wine 10's do"; \
    $(MSVC_SKIP); }
MSVC_CONFIGURE = cmake -S . -B "$(B)/$@" -DCMAKE_TOOLCHAIN_FILE="$(CURDIR)/cmake/clang-cl-$(1).cmake" \
  "-DLOBECAST_E2E_DRIVER=$(B)/$(2)/tests/e2e/lobecast_e2e.exe"
I386_LIBS = $(firstword $(wildcard /usr/lib/*/wine/i386-windows/libkernel32.a))

msvc64: deps-msvc win64
	@mkdir -p "$(B)" && rm -f "$(B)/$@.skipped" && $(MSVC_PROBE) && \
	  { $(call MSVC_CONFIGURE,x64,win64) > "$(B)/$@-configure.log" 2>&1 || \
	    { cat "$(B)/$@-configure.log"; exit 1; }; } && \
	  cmake --build "$(B)/$@" -j $(JOBS)

msvc32: deps-msvc exe
	@mkdir -p "$(B)" && rm -f "$(B)/$@.skipped" && $(MSVC_PROBE) && \
	  libs="$(if $(I386_LIBS),$(dir $(I386_LIBS)),$(B)/wine-i386/usr/lib/i386-linux-gnu/wine/i386-windows)" && \
	  { [ -e "$$libs/libkernel32.a" ] || ( cd "$(B)" && rm -rf wine-i386 libwine-dev_*_i386.deb && \
	      apt-get download -q libwine-dev:i386 > wine-i386.log 2>&1 && \
	      dpkg-deb -x libwine-dev_*_i386.deb wine-i386 ) || \
	    { why="apt-get download libwine-dev:i386 failed: $$(grep -m1 '^E:' "$(B)/wine-i386.log")"; $(MSVC_SKIP); }; } && \
	  { $(call MSVC_CONFIGURE,x86,win32) "-DLOBECAST_WINE_LIBS=$$libs" > "$(B)/$@-configure.log" 2>&1 || \
	    { cat "$(B)/$@-configure.log"; exit 1; }; } && \
	  cmake --build "$(B)/$@" -j $(JOBS)

# Every tree's tests: all of them in the tree of the build that Wine runs here (tools/wine-arch
# names it), the quick ones in the other Windows trees; then one line that totals them.
# Every tree the host tests need is built by now: one found missing fails rather than skips.
test: deps-test exe win64 msvc32 msvc64 host host-asan
	@LOBECAST_REQUIRE_TREES=1 tests/ctest-trees.sh "$(B)"

# make test in a fresh clone of HEAD inside a minimal Debian 13 root, made once with
# debootstrap and kept in /var/cache/lobecast (LOBECAST_ROOTS names another folder); needs
# root.
test-debian13:
	@tools/deps.sh debian13
	tools/in-debian trixie -- make test

# The Windows build that Wine runs on this machine: i686, or x86_64 where it cannot run 32-bit.
wine-build: deps-show
	@$(MAKE) --no-print-directory $$([ "$$(tools/wine-arch)" = win64 ] && echo win64 || echo exe)

# With a display the real window opens and this returns when it is closed; without one
# the scripted tour writes screenshots and a GIF to $(BUILD)/demo.
ifeq ($(strip $(DISPLAY)),)
run: demo
else
run: wine-build
	@arch=$$(tools/wine-arch --for "make run runs") && \
	  tools/winerun --build "$(B)" --arch $$arch --user-display --timeout 0 -- "$(B)/$$arch/lobecast.exe"
endif

demo: wine-build
	@arch=$$(tools/wine-arch --for "the demo tour shows") && \
	  tools/winerun --build "$(B)" --arch $$arch --desktop 1024x768 \
	    --timeout 170 -- tools/demo-tour.sh "$(B)/$$arch/lobecast.exe" "$(B)/demo"

# The release archives, 32-bit and 64-bit (the program and a short text readme), and their
# SHA256SUMS in $(B)/dist; the same commit gives the same bytes (tools/dist.sh says how).
dist: deps-dist exe win64
	@tools/dist.sh "$(B)/win32" "$(B)/win64" "$(B)/dist"

# The prefixes first, with the server folders that Wine keeps for them outside build/.
clean:
	@tools/winerun --build "$(B)" --remove-prefix
	rm -rf "$(B)"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# --- Hardening: the sanitized host tests -----------------------------------------------------
# The host tests again under AddressSanitizer and UBSan, in a tree of their own that make test
# builds before its sanitize.unit test runs them.
CMAKE_ASAN = cmake -S . -B "$(B)/host-asan" -DCMAKE_BUILD_TYPE=Debug -DLOBECAST_SANITIZE=ON

.PHONY: host-asan

host-asan: deps-test
	$(call TREE,host-asan,$(CMAKE_ASAN))

# --- Benchmarks: make bench ------------------------------------------------------------------
# The program, the baseline windows and the probe (all in the Windows tree that Wine runs here);
# bench/run.py runs them under Wine on private displays (a few minutes) and writes
# $(BUILD)/bench/results.md.
.PHONY: bench
bench: deps-bench wine-build
	bench/run.py "$(B)"

# --- Soak: make soak -------------------------------------------------------------------------
# SOAK_ROUNDS rounds (20) of the Wine scenarios in the tree of the build Wine runs here, each
# from a fresh prefix (tools/soak.sh); a measurement, like the bench, that make test never runs.
# In a Debian 13 root: tools/in-debian trixie -- make soak SOAK_ROUNDS=10
SOAK_ROUNDS ?= 20
.PHONY: soak
soak: deps-test wine-build
	tools/soak.sh "$(B)" $(SOAK_ROUNDS)
