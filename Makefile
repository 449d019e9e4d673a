# Corvane: `make run` builds and starts Corvane, `make test` runs every test.
# Both install whatever is missing first (scripts/deps.sh).

SHELL := /bin/bash
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-release
CMAKE_FLAGS := -G Ninja -DCORVANE_WERROR=ON
CTEST_FLAGS := --output-on-failure --timeout 300 -j 2

.PHONY: all deps build test test-plain test-asan bench run clean

all: build

deps:
	@./scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_BENCH=OFF
	cmake --build $(BUILD)

# Every test twice: an optimised build, then AddressSanitizer + UndefinedBehaviorSanitizer.
test: deps test-plain test-asan

test-plain: build
	ctest --test-dir $(BUILD) $(CTEST_FLAGS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(ASAN_BUILD) $(CTEST_FLAGS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=ON -DCORVANE_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD)
	./bench/run.sh $(BENCH_BUILD)

run: build
	@./scripts/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
