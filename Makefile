# Corvane: `make run` builds and starts Corvane, `make test` checks the sources and
# runs every test, `make format` formats the sources. Each installs whatever is
# missing first (scripts/deps.sh). `make install` installs Corvane under PREFIX
# (/usr/local unless given; DESTDIR stages it elsewhere), `make package` builds
# a Debian package in the build folder.

SHELL := /bin/bash
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
TIDY_BUILD ?= build-tidy
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
PREFIX ?= /usr/local
# Line tables are all a backtrace or a sanitizer report needs, and cost a fifth less
# compile time than full debug information.
CMAKE_FLAGS := -G Ninja -DCORVANE_WERROR=ON \
	'-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG' '-DCMAKE_CXX_FLAGS_DEBUG=-g1'
CTEST_FLAGS := --output-on-failure --timeout 300 -j 2

.PHONY: all deps build check check-format check-layers tidy format test test-plain test-asan test-fuzz fuzz fuzz-build bench run install package clean

all: build

deps:
	@./scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_BENCH=OFF
	cmake --build $(BUILD)

# The source checks first, so formatting or a layering slip fails within seconds; then
# every test twice: an optimised build, then AddressSanitizer + UndefinedBehaviorSanitizer
# (the window-manager matrix only in the first: it checks window managers, not memory);
# then each fuzz target for a short while.
test: deps check test-plain test-asan test-fuzz

check: check-format check-layers

check-format: deps
	./scripts/check_format.sh

check-layers:
	./scripts/check_layers.sh

# clang-tidy over every source (bug-prone, performance and function-size checks); about
# eight minutes on two cores, so it runs on its own rather than in every test run.
tidy: deps
	./scripts/check_tidy.sh $(TIDY_BUILD)

format: deps
	./scripts/check_format.sh --fix

test-plain: build
	ctest --test-dir $(BUILD) $(CTEST_FLAGS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(ASAN_BUILD) $(CTEST_FLAGS) -LE matrix

# The libFuzzer targets (clang++, ASan + UBSan): `make fuzz` runs each for FUZZ_SECONDS,
# two at a time, from a scratch copy of fuzz/corpus; `make test` runs each for 15 s.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD)

fuzz: fuzz-build
	./scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test-fuzz: fuzz-build
	./scripts/fuzz.sh $(FUZZ_BUILD) 15

# The figures are those of the program as `make install` and `make package` build it (the same
# optimisation), plus the benchmark programs.
bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_TESTS=ON -DCORVANE_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD)
	./bench/run.sh $(BENCH_BUILD)

# The README's pictures of the grid, the settings tabs and the editors, drawn off-screen
# (no desktop needed) with default settings rather than yours: the home folder named is
# one nobody has, so nothing is read from it and the Help tab shows a plain path.
.PHONY: previews
previews: build
	env -u XDG_CONFIG_HOME HOME=/home/corvane ./$(BUILD)/app/main/corvane --render-previews docs

# Without a display there is nothing to run on: say so before installing or building.
run:
	@./scripts/run.sh --check-display
	@$(MAKE) --no-print-directory build
	@./scripts/run.sh $(BUILD)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(TIDY_BUILD) $(FUZZ_BUILD)
