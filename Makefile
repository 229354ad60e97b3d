# Entry points. `make demo` runs the console's tour, `make test` the whole suite.
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps build demo test cross-test sanitize tsan bench fuzz fuzz-smoke scenarios clean \
	atlas atlas-update atlas-browser-check

deps:
	@bash scripts/install-deps

build: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build build -j $(JOBS)

demo: build
	@./build/bin/avctl demo

test: build
	@cd build && ctest --output-on-failure -j $(JOBS)

scenarios: build
	@./build/bin/avctl run scenarios/*.avs

# The picture atlas: build/atlas/index.html (open it in a browser) and
# atlas.json. atlas-update rewrites the committed snapshot after an intended
# change; atlas-browser-check loads the page in headless Chromium (CI).
atlas: build
	@mkdir -p build/atlas && ./build/bin/avctl atlas --out build/atlas

atlas-update: atlas
	@cp build/atlas/atlas.json tests/atlas/atlas.json && echo "rewrote tests/atlas/atlas.json"

atlas-browser-check: build
	@bash scripts/install-deps --browser
	@bash scripts/atlas-browser-check ./build/bin/avctl build/atlas-browser

# The TV's processors: ARCH=armhf (32-bit, the common case) or arm64. Debian's
# cross compiler builds into build-ARCH/ and ctest runs the whole suite,
# scenarios included, under qemu-user.
ARCH ?= armhf
cross-test:
	@case "$(ARCH)" in armhf|arm64) ;; *) echo "cross-test: ARCH must be armhf or arm64" >&2; exit 2 ;; esac
	@bash scripts/install-deps --cross $(ARCH)
	@cmake -S . -B build-$(ARCH) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/$(ARCH).cmake $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-$(ARCH) -j $(JOBS)
	@cd build-$(ARCH) && ctest --output-on-failure -j $(JOBS)

# AddressSanitizer + UndefinedBehaviorSanitizer, whole suite.
sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTVAV_SANITIZE=address,undefined >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer, the threaded tests (suites named *Threads).
tsan: deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DTVAV_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		ctest --output-on-failure -j $(JOBS) -R 'Threads'

bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTVAV_BUILD_BENCH=ON -DTVAV_BUILD_TESTS=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS) --target tvav_bench
	@./build-bench/bin/tvav_bench

# libFuzzer harnesses (fuzz/) under clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-fuzz/.
fuzz:
	@bash scripts/install-deps --fuzz
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVAV_FUZZ=ON \
		-DTVAV_BUILD_TESTS=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_console fuzz_operations

# Each harness's kept faults, then FUZZ_SECONDS (default 60) of fuzzing from its corpus.
FUZZ_SECONDS ?= 60
fuzz-smoke: fuzz
	@bash scripts/fuzz-run $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz build-armhf build-arm64
