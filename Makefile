BUILD ?= build
JOBS ?= 2

.PHONY: deps configure build test run bench clean

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run-nightlid $(BUILD) $(ARGS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do "$$b"; done

clean:
	@rm -rf $(BUILD)
