# The two set-up commands: `make run` and `make test`. Each installs what is missing first.
JOBS ?= $(shell nproc)
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
RUN_DIR := build/release/app

.PHONY: deps run test build-release build-test build-asan bench reliability clean

deps:
	@scripts/install-deps.sh

build-release: deps
	@cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONALBA_TESTS=OFF >/dev/null
	@cmake --build build/release -j $(JOBS)

run: build-release
	@scripts/stage-app.sh $(RUN_DIR) build/release/tools/tonalba-cli
	@scripts/run-app.sh $(RUN_DIR)/tonalba

build-test: deps
	@cmake -S . -B build/test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build build/test -j $(JOBS)

build-asan: deps
	@cmake -S . -B build/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTONALBA_SANITIZE=ON >/dev/null
	@cmake --build build/asan -j $(JOBS)

test: build-test build-asan
	cd build/test && ctest --output-on-failure -j $(JOBS)
	cd build/asan && ctest --output-on-failure -j $(JOBS)
	scripts/fuzz-report.sh

# The long runs: the reliability suite with 300 random kills and 50 double
# starts, its table of cases, then FUZZ_SECONDS (an hour) of fuzzing per reader.
FUZZ_SECONDS ?= 3600
reliability: build-test
	scripts/reliability.sh
	JOBS=$(JOBS) scripts/fuzz-report.sh $(FUZZ_SECONDS)

bench: deps
	@cmake -S . -B build/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTONALBA_TESTS=OFF -DTONALBA_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS)
	@if [ -x build/bench/bench/tonalba-bench ]; then build/bench/bench/tonalba-bench; else echo "No benchmarks yet."; fi

clean:
	rm -rf build
