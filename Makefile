BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= 2

.PHONY: deps configure build test test-sanitize run bench clean

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@bash scripts/quiet-build $(BUILD) $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DNIGHTLID_SANITIZE=ON \
		-DNIGHTLID_BENCH=OFF >/dev/null
	@bash scripts/quiet-build $(SANITIZE_BUILD) $(JOBS)
	@cd $(SANITIZE_BUILD) && \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run-nightlid $(BUILD) $(ARGS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do "$$b"; done

clean:
	@rm -rf $(BUILD) $(SANITIZE_BUILD)
