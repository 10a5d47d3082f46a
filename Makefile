# make run   set up, build and start the desktop program (the batch example without a display)
# make test  set up, build and run every test, also under the sanitizers (the
#            bootstrap tests, which run the trials on several threads, also
#            under the thread sanitizer), then every fuzz target for 30 s
# make bench build and run the benchmarks
# make bench-scale  whole-program bootstrap timings and peak memory (bench/scale.sh)
# make fuzz  build the libFuzzer targets (clang) and run each FUZZ_SECONDS (default 30)
# make format-check  clang-format's layout on every C++ line changed since .ci/format-base
# make install [PREFIX=/usr/local] [DESTDIR=...]  install the build
# make package  build the Debian package velmora_<version>_<arch>.deb here
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
TSAN_BUILD ?= build-tsan
PREFIX ?= /usr/local

.PHONY: setup build build-asan build-tsan run test test-fast bench bench-scale fuzz format-check install package clean

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-asan: setup
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

# Only the bootstrap tests: the engine's threads are the program's only ones.
build-tsan: setup
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE_THREAD=ON -DVELMORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target bootstrap_tests

run: build
	@bash scripts/run.sh $(BUILD)

test: build build-asan build-tsan
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)
	@TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) --output-on-failure -R '^bootstrap_tests$$'
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=30

test-fast: build
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	@bash scripts/bench.sh $(BUILD)

bench-scale: build
	@bash bench/scale.sh $(BUILD)

# Its own build directory: clang, with coverage for libFuzzer and the
# address and UB sanitizers on everything the targets link.
fuzz: setup
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
	  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target velmora_fuzzers
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

format-check: setup
	@bash scripts/check_format.sh

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	@rm -rf $(BUILD)/package velmora_*.deb
	@cpack -G DEB --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/package
	@cp $(BUILD)/package/velmora_*.deb .

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
