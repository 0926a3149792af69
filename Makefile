# The two set-up commands: `make run` and `make test`. Each installs what is missing first.
JOBS ?= $(shell nproc)
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
RUN_DIR := build/release/app

.PHONY: deps run test build-release build-test build-asan bench reliability package package-check clean

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

# The Debian package from a Release build with Debian's hardening flags
# (build/package/tonalba_<version>_amd64.deb),
# and its check: lintian, installing it, a user's first start, removing it.
# package-check installs on this machine; it is not part of `make test`.
PACKAGE_DEPS := dpkg-dev lintian desktop-file-utils appstream
package: deps
	@scripts/install-deps.sh $(PACKAGE_DEPS)
	@export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B build/package $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTONALBA_TESTS=OFF \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" >/dev/null
	@cmake --build build/package -j $(JOBS)
	@cd build/package && cpack -G DEB >/dev/null && ls -1 $$PWD/tonalba_*.deb

package-check: package
	scripts/package-check.sh build/package

clean:
	rm -rf build
