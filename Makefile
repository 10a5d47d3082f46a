# make run   set up, build and start the desktop program (the batch example without a display)
# make test  set up, build and run every test, also under the sanitizers
# make bench build and run the benchmarks
# make fuzz  build the libFuzzer targets (clang) and run each FUZZ_SECONDS (default 30)
# make install [PREFIX=/usr/local] [DESTDIR=...]  install the build
# make package  build the Debian package velmora_<version>_<arch>.deb here
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
PREFIX ?= /usr/local

.PHONY: setup build build-asan run test test-fast bench fuzz install package clean

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-asan: setup
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build build-asan
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test-fast: build
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	@bash scripts/bench.sh $(BUILD)

# Its own build directory: clang, with coverage for libFuzzer and the
# address and UB sanitizers on everything the targets link.
fuzz: setup
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
	  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target velmora_fuzzers
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	@rm -rf $(BUILD)/package velmora_*.deb
	@cpack -G DEB --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/package
	@cp $(BUILD)/package/velmora_*.deb .

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
