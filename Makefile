BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= 2

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

# Homebrew's Qt is not on CMake's default path.
ifeq ($(shell uname -s),Darwin)
CMAKE_ARGS += -DCMAKE_PREFIX_PATH=$(shell brew --prefix qt)
endif

.PHONY: deps configure build test test-sanitize fuzz fuzz-build run bench clean

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	@bash scripts/quiet-build $(BUILD) $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DNIGHTLID_SANITIZE=ON \
		-DNIGHTLID_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@bash scripts/quiet-build $(SANITIZE_BUILD) $(JOBS)
	@cd $(SANITIZE_BUILD) && \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

# Every fuzz target, FUZZ_SECONDS each, with clang's libFuzzer and the sanitizers.
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
		-DNIGHTLID_FUZZ=ON -DNIGHTLID_TESTS=OFF -DNIGHTLID_BENCH=OFF >/dev/null
	@bash scripts/quiet-build $(FUZZ_BUILD) $(JOBS) --target fuzz_all

fuzz: fuzz-build
	@bash scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

run: build
	@bash scripts/run-nightlid $(BUILD) $(ARGS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do "$$b"; done

clean:
	@rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
