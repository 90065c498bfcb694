# make demo  - build Tarnwick.dll and the editor host, and run the demo under Wine
# make play  - the same add-in in the editor host on the X display, to type into
# make test  - build everything and run every test
# make dist  - the installer packages and the zip for Windows users, in build/dist
# make vsix  - the VS Code extension for win32-x64 and linux-x64, in build/vsix
#
# demo and play use the win64 build (64-bit Office); PRESET=windows-x86 picks
# the x86 build (32-bit Office): make play PRESET=windows-x86
NATIVE_PACKAGES := g++ cmake make googletest libgtest-dev libgmock-dev zlib1g-dev neovim nlohmann-json3-dev
# The Windows build: MinGW-w64 (posix threads, windres, objdump), widl, and Wine
# to run its tests; GoogleTest is built from googletest's source; zlib, linked
# statically; nlohmann-json's headers, which serve every build.
WIN64_PACKAGES := cmake make googletest g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev wine64 nlohmann-json3-dev
# The fuzzers: clang with libFuzzer and the sanitizers' runtimes; zlib for the
# Office readers; nlohmann-json, which the configuration of every build asks for.
FUZZ_PACKAGES := clang-14 libclang-rt-14-dev zlib1g-dev nlohmann-json3-dev
FUZZ_SECONDS_TEST := 30
FUZZ_SECONDS_LONG := 600
WINEPREFIX_WIN64 := $(CURDIR)/build/win64/wineprefix
WINESERVER := /usr/lib/wine/wineserver
# The x86 build for 32-bit Office: the i686 compiler, and Wine's 32-bit half
# (wine32:i386; ensure-packages.sh adds the i386 architecture for it) to run
# its tests under WoW64 in a 64-bit prefix.
X86_PACKAGES := cmake make googletest g++-mingw-w64-i686-posix mingw-w64-tools libz-mingw-w64-dev wine64 nlohmann-json3-dev
X86_RUN_PACKAGES := wine32:i386
WINEPREFIX_X86 := $(CURDIR)/build/windows-x86/wineprefix
# Wine's 32-bit loader: WoW64 starts every 32-bit program through it.
WINE32 := /usr/lib/wine/wine

.PHONY: all demo play demo-build test native-deps native-build native-test tsan-test format \
	win64-deps win64-build win64-test windows-x86-deps windows-x86-build windows-x86-test \
	fuzz-deps fuzz-build fuzz-test fuzz soak dist-deps dist-build dist package-test \
	vsix vsix-test

all: native-build

native-deps:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES)

native-build: native-deps
	cmake --preset native >/dev/null
	cmake --build --preset native

native-test: native-build
	ctest --preset native

# tarnwick-doc and its tests built with ThreadSanitizer and run once, so that
# a data race between the threads that read and check modules turns CI red.
tsan-test: native-deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan

win64-deps:
	@scripts/ensure-packages.sh $(WIN64_PACKAGES)

win64-build: win64-deps
	cmake --preset win64 >/dev/null
	cmake --build --preset win64

# The tests run under Wine; the prefix's wineserver is ended afterwards,
# whatever the outcome.
win64-test: win64-build
	ctest --preset win64; status=$$?; \
	WINEPREFIX=$(WINEPREFIX_WIN64) $(WINESERVER) -k 2>/dev/null; \
	exit $$status

# Wine's 32-bit half comes from the registry's i386 lists, which a mirror may
# hold out of step with the amd64 ones for a while; the build does not need it,
# so a failed install only keeps the x86 tests from running, and they say so.
windows-x86-deps:
	@scripts/ensure-packages.sh $(X86_PACKAGES)
	@scripts/ensure-packages.sh $(X86_RUN_PACKAGES) || \
	  echo "windows-x86: $(X86_RUN_PACKAGES) could not be installed; the x86 tests cannot run" >&2

# The x86 build compiles without running anything (its tests are found when
# CTest runs), so it builds on any machine.
windows-x86-build: windows-x86-deps
	cmake --preset windows-x86 >/dev/null
	cmake --build --preset windows-x86

# Its tests, under WoW64, need a kernel that runs 32-bit x86 programs. On a
# machine whose kernel refuses them no 32-bit program can start, so the tests
# are not run, and the target says so instead of failing on the machine. The
# soaks are left out (the preset's filter): their cycles repeat, slowly, what
# the other suites already run on x86.
windows-x86-test: windows-x86-build
	@if ! dpkg-query -W -f='$${Status}' $(X86_RUN_PACKAGES) 2>/dev/null | grep -q "install ok installed"; then \
	  echo "windows-x86: TESTS NOT RUN: Wine's 32-bit half ($(X86_RUN_PACKAGES)) could not be" \
	    "installed from the package registry (its message is above). The x86 build was made" \
	    "and its binaries checked; run make windows-x86-test once the package installs."; \
	  exit 0; \
	fi; \
	if ! err=$$($(WINE32) --version 2>&1 >/dev/null); then \
	  echo "windows-x86: TESTS NOT RUN: this machine cannot run 32-bit x86 programs," \
	    "which Wine's WoW64 needs ($(WINE32): $${err##*: }). The x86 build was made" \
	    "and its binaries checked; run make windows-x86-test on a machine that runs them."; \
	  exit 0; \
	fi; \
	ctest --preset windows-x86; status=$$?; \
	WINEPREFIX=$(WINEPREFIX_X86) $(WINESERVER) -k 2>/dev/null; \
	exit $$status

fuzz-deps:
	@scripts/ensure-packages.sh $(FUZZ_PACKAGES)

fuzz-build: fuzz-deps
	cmake --preset fuzz >/dev/null
	cmake --build build/fuzz -j2 --target fuzz_keystrokes fuzz_registrar fuzz_text fuzz_doc fuzz_office fuzz_lsp

# Each fuzzer for a bounded time on a copy of its seed corpus.
fuzz-test: fuzz-build
	scripts/run-fuzzers.sh $(FUZZ_SECONDS_TEST)

# The long run: ten minutes each.
fuzz: fuzz-build
	scripts/run-fuzzers.sh $(FUZZ_SECONDS_LONG)

# The add-in's lifecycle soaked under Wine: 1,000 cycles, and 200 of each
# other ending, in process and through the registered Tarnwick.dll (make test
# runs 100 and 20).
soak: win64-build
	export TARNWICK_SOAK_CYCLES=1000; \
	scripts/wine-run.sh --prefix $(WINEPREFIX_WIN64) \
	  build/win64/tests/robust/tarnwick_robustness_tests.exe \
	  --gtest_filter='LifecycleSoak.*' && \
	scripts/wine-run.sh --prefix $(WINEPREFIX_WIN64) \
	  build/win64/tests/robust/tarnwick_dll_soak_tests.exe; status=$$?; \
	WINEPREFIX=$(WINEPREFIX_WIN64) $(WINESERVER) -k 2>/dev/null; \
	exit $$status

# The installer packages: wixl builds them, msitools' msibuild completes them
# (scripts/dist.sh), zip packs the DLLs for registering by hand. Only the
# add-in, tarnwick-doc, tarnwick-lsp and the native package tool are built for them.
DIST_PACKAGES := wixl msitools zip
dist-deps:
	@scripts/ensure-packages.sh $(DIST_PACKAGES)

dist-build: native-deps win64-deps windows-x86-deps
	cmake --preset native >/dev/null
	cmake --build --preset native --target tarnwick-package-registry
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 --target tarnwick_dll tarnwick-doc tarnwick-lsp
	cmake --preset windows-x86 >/dev/null
	cmake --build --preset windows-x86 --target tarnwick_dll tarnwick-doc tarnwick-lsp

dist: dist-deps dist-build vsix
	scripts/dist.sh
	cp $(VSIX_DIR)/*.vsix build/dist/

# The VS Code extension's platform packages, each with its platform's
# tarnwick-lsp and tarnwick-doc (scripts/vscode.sh installs Node's packages).
VSIX_DIR := build/vsix
vsix: native-deps win64-deps
	cmake --preset native >/dev/null
	cmake --build --preset native --target tarnwick-lsp tarnwick-doc
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 --target tarnwick-lsp tarnwick-doc
	scripts/vscode.sh vsix $(VSIX_DIR)

# What each package holds, and that its programs are of its platform.
vsix-test: vsix
	cd editors/vscode && TARNWICK_VSIX=$(CURDIR)/$(VSIX_DIR) node --test out/test/package/

# The packages under Wine's msiexec (the tests labelled "package"), with an
# older build of both for the upgrade. The x86 host's session with its package
# needs a machine that runs 32-bit programs, like the other x86 tests.
package-test: dist win64-build
	scripts/dist.sh --older
	ctest --preset win64-package; status=$$?; \
	if [ $$status -eq 0 ] && $(WINE32) --version >/dev/null 2>&1; then \
	  $(MAKE) windows-x86-build && ctest --preset windows-x86-package; status=$$?; \
	  WINEPREFIX=$(WINEPREFIX_X86) $(WINESERVER) -k 2>/dev/null; \
	fi; \
	WINEPREFIX=$(WINEPREFIX_WIN64) $(WINESERVER) -k 2>/dev/null; \
	exit $$status

# Native first (and tarnwick-doc under ThreadSanitizer), then Windows x64, the
# VS Code packages, x86, the installer packages, then the fuzzers.
test:
	$(MAKE) native-test
	$(MAKE) tsan-test
	$(MAKE) win64-test
	$(MAKE) vsix-test
	$(MAKE) windows-x86-test
	$(MAKE) package-test
	$(MAKE) fuzz-test

# The demo and play need only the add-in and the host of one Windows build:
# win64, or the preset that PRESET names.
PRESET := win64
DEMO_TARGETS := tarnwick_dll tarnwick-host
DEMO_DEPS := $(if $(filter windows-x86,$(PRESET)),windows-x86-deps,win64-deps)

demo-build: $(DEMO_DEPS)
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) --target $(DEMO_TARGETS)

demo: demo-build
	@TARNWICK_BUILD=build/$(PRESET) scripts/demo.sh

play: demo-build
	@TARNWICK_BUILD=build/$(PRESET) scripts/play.sh

# clang-format 15 or newer: the style braces every block (InsertBraces).
FORMAT_PACKAGES := clang-format-15
format:
	@scripts/ensure-packages.sh $(FORMAT_PACKAGES)
	clang-format-15 -i $$(git ls-files '*.cpp' '*.h')

# make bench - measure the add-in's cost per message and per keystroke, natively
# (Google Benchmark) and under Wine; prints one table and writes the figures to
# build/bench/results.json (docs/performance.md explains them). Never run by
# `make test`: speed is reported, not tested. The report's own check of its
# targets (bench/report_test.py) runs first, in a moment.
BENCH_PACKAGES := $(NATIVE_PACKAGES) libbenchmark-dev python3 time \
	g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev wine64
BENCH_DIR := $(CURDIR)/build/bench
BENCH_WINEPREFIX := $(BENCH_DIR)/wineprefix

.PHONY: bench
bench:
	@scripts/ensure-packages.sh $(BENCH_PACKAGES)
	python3 bench/report_test.py
	cmake --preset native -B build/bench-native -DTARNWICK_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	cmake --build build/bench-native -j2 --target tarnwick_bench_native
	cmake --preset win64 -B build/bench-win64 -DTARNWICK_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	cmake --build build/bench-win64 -j2 --target tarnwick_bench_wine
	mkdir -p $(BENCH_DIR)
	build/bench-native/bench/tarnwick_bench_native --benchmark_repetitions=3 \
		--benchmark_report_aggregates_only=true \
		--benchmark_out=$(BENCH_DIR)/native.json --benchmark_out_format=json >/dev/null
	scripts/wine-run.sh --prefix $(BENCH_WINEPREFIX) \
		build/bench-win64/bench/tarnwick_bench_wine.exe >$(BENCH_DIR)/wine.json; status=$$?; \
	WINEPREFIX=$(BENCH_WINEPREFIX) $(WINESERVER) -k 2>/dev/null; \
	exit $$status
	python3 bench/report.py $(BENCH_DIR)/native.json $(BENCH_DIR)/wine.json $(BENCH_DIR)/results.json
