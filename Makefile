# The two commands of the README: `make demo` and `make test`.
# Both install what is missing, configure and build into build/.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
PACKAGES   := cmake ninja-build g++ pkg-config libsqlite3-dev libcli11-dev \
              libgtest-dev libgmock-dev libbenchmark-dev lrzsz sqlite3 e2fsprogs \
              python3 time postgresql libpq-dev

.PHONY: all deps build demo test test-sanitize test-asan bench fuzz clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/bin/viruzedi demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300
	$(MAKE) test-sanitize

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer: a
# leak, an overflow or undefined behaviour fails the test that caused it.
test-sanitize: deps
	[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Debug -DVIRUZEDI_SANITIZE=ON -DVIRUZEDI_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 300

test-asan: test-sanitize

# The google-benchmark programs, then every figure against its reference.
bench: build
	for b in $(BUILD)/bin/bench_*; do $$b || exit 1; done
	/usr/bin/python3 bench/run.py --bin $(BUILD)/bin

# Each fuzz target for FUZZ_SECONDS, with clang and libFuzzer under ASan and
# UBSan; new inputs go to $(FUZZ_BUILD)/corpus, findings to $(FUZZ_BUILD)/findings.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: PACKAGES += clang libclang-rt-14-dev
fuzz: deps
	[ -f $(FUZZ_BUILD)/build.ninja ] || CXX=clang++ CC=clang cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIRUZEDI_FUZZ=ON -DVIRUZEDI_TESTS=OFF -DVIRUZEDI_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
