# The two commands of the README: `make demo` and `make test`.
# Both install what is missing, configure and build into build/.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

# The Debian packages, by what needs them; the README lists the same.
# What configuring and building needs (the demo needs no more):
PACKAGES_BUILD := cmake ninja-build g++ pkg-config libsqlite3-dev libcli11-dev \
              libgtest-dev libgmock-dev libbenchmark-dev libpq-dev unixodbc-dev libxxhash-dev \
              help2man
# What the Linux tests, the benchmarks and the Debian package run or reach:
PACKAGES_TEST := lrzsz sqlite3 e2fsprogs python3 time postgresql unixodbc \
              libsqliteodbc odbc-postgresql dpkg-dev strace
# The Windows build and Wine with the host's ODBC drivers for both targets
# (never unixodbc:i386, which would replace the amd64 tools).
PACKAGES_WINDOWS := g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
              mingw-w64-tools libwine-dev ccache wine wine64 wine32:i386 \
              libodbc2:i386 libsqliteodbc:i386 odbc-postgresql:i386 wixl msitools
# The fuzz targets: clang with libFuzzer and the sanitizers' runtime.
PACKAGES_FUZZ := clang libclang-rt-14-dev

# One install per run, of everything the targets asked for will need: the
# list follows the goals of the command line, not the targets as make
# reaches them (make makes `deps` once a run, so a list that grew later
# would never be installed).
# `make -s packages FOR=test` prints the list for other goals.
GOALS := $(or $(FOR),$(filter-out packages,$(MAKECMDGOALS)),all)
wants = $(if $(filter $(1),$(GOALS)),$(2))
PACKAGES := $(PACKAGES_BUILD) \
            $(call wants,test test-linux test-sanitize test-asan bench package,$(PACKAGES_TEST)) \
            $(call wants,test test-windows windows windows-package,$(PACKAGES_WINDOWS)) \
            $(call wants,test test-linux test-fuzz fuzz,$(PACKAGES_FUZZ))
WIN64_BUILD ?= build-win64
WIN32_BUILD ?= build-win32

.PHONY: all deps build demo package test test-linux test-windows windows windows-package \
        test-sanitize test-asan test-fuzz fuzz-build bench fuzz clean packages

all: build

# The packages a run of FOR's goals needs, one per line.
packages:
	@printf '%s\n' $(PACKAGES)

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  case "$$missing" in *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || \
	    $$SUDO dpkg --add-architecture i386;; esac; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# What the demo runs, and nothing else: the command (it carries the
# component), the library, the infrared link library, the reader program and
# the simulated devices. The tests and benchmarks are built by `make test`.
DEMO_TARGETS := viruzedi-cli viruzedi zirav doduri pen-simulator terminal-simulator \
                infrared-simulator reader-simulator

demo: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target $(DEMO_TARGETS)
	$(BUILD)/bin/viruzedi demo

# The Debian package of the command and its files, in $(BUILD)/.
package: build
	cd $(BUILD) && cpack -G DEB

# The whole suite: Linux (normal and sanitizers), then the Windows programs
# under Wine.
test: test-linux test-windows

test-linux: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300 -LE windows
	$(MAKE) test-fuzz
	$(MAKE) test-sanitize

# Both Windows targets, cross-compiled with mingw-w64 (POSIX threads, static),
# and their Windows Installer packages, made by wixl: the tests install them.
# The 32-bit build is packaged first: the 64-bit package holds its programs.
windows: deps
	[ -f $(WIN64_BUILD)/build.ninja ] || cmake -S . -B $(WIN64_BUILD) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DVIRUZEDI_WIN32_BUILD=$(abspath $(WIN32_BUILD))
	cmake --build $(WIN64_BUILD) -j $(JOBS)
	[ -f $(WIN32_BUILD)/build.ninja ] || cmake -S . -B $(WIN32_BUILD) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
	cmake --build $(WIN32_BUILD) -j $(JOBS)
	cmake --build $(WIN32_BUILD) --target windows-package
	cmake --build $(WIN64_BUILD) --target windows-package

# The packages, $(WIN64_BUILD)/Viruzedi-VERSION-x64.msi for 64-bit Windows
# and $(WIN32_BUILD)/Viruzedi-VERSION-x86.msi for 32-bit Windows, are made
# with the programs they hold.
windows-package: windows

# The Windows programs of both targets run under Wine against the Linux
# simulators; the tests themselves are Linux programs labelled "windows".
test-windows: windows build
	cd $(BUILD) && VIRUZEDI_WIN64_BIN=$(CURDIR)/$(WIN64_BUILD)/bin \
	  VIRUZEDI_WIN32_BIN=$(CURDIR)/$(WIN32_BUILD)/bin \
	  ctest --output-on-failure -j $(JOBS) --timeout 600 -L windows

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer: a
# leak, an overflow or undefined behaviour fails the test that caused it.
test-sanitize: deps
	[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Debug -DVIRUZEDI_SANITIZE=ON -DVIRUZEDI_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 300 -LE windows

test-asan: test-sanitize

# The google-benchmark programs, then every figure against its reference.
bench: build
	for b in $(BUILD)/bin/bench_*; do $$b || exit 1; done
	/usr/bin/python3 bench/run.py --bin $(BUILD)/bin

# Each fuzz target for FUZZ_SECONDS, with clang and libFuzzer under ASan and
# UBSan; new inputs go to $(FUZZ_BUILD)/corpus, findings to $(FUZZ_BUILD)/findings.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz-build: deps
	[ -f $(FUZZ_BUILD)/build.ninja ] || CXX=clang++ CC=clang cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIRUZEDI_FUZZ=ON -DVIRUZEDI_TESTS=OFF -DVIRUZEDI_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	fuzz/run.sh $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

# The smoke run of `make test`: every target over its stored corpus, then
# FUZZ_SMOKE_SECONDS of fuzzing each, so that a property the product no
# longer keeps fails the tests; the long runs stay with `make fuzz`.
FUZZ_SMOKE_SECONDS ?= 5
test-fuzz: fuzz-build
	fuzz/run.sh $(FUZZ_BUILD)/bin $(FUZZ_SMOKE_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN64_BUILD) $(WIN32_BUILD)
