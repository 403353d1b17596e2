# Entry points for people and CI. Every target installs missing Debian
# packages first, so each works on a fresh machine.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test bench sanitize clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/bin/creditsim run

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

bench: build
	$(BUILD)/bench/creditsim_bench --benchmark_counters_tabular=true

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCREDITSIM_SANITIZE=ON -DCREDITSIM_BUILD_BENCHMARKS=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS) -LE slow

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
