# Top-level driver. `make run` and `make test` install what is missing,
# build, and run the game or the tests.
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test
RELEASE_TEST_DIR := build/release-test
FUZZ_DIR := build/fuzz
TSAN_DIR := build/tsan

.PHONY: all setup build run test release-test-build release-test memcheck bench fuzz tsan format clean

all: build

setup:
	@scripts/setup.sh

build: setup
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVALO_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	$(RELEASE_DIR)/corvalo $(ARGS)

# The sanitizer build's tests, then the same tests on the optimised build
# that players run (in a folder of its own, so that make run's build keeps
# its configuration).
test: setup
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DCORVALO_SANITIZE=ON -DCORVALO_WERROR=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory release-test

# The same optimised code as make run's build (RelWithDebInfo is -O2 -g
# -DNDEBUG); without the debug information, which no test reads and which
# would take gigabytes over some two hundred test programs.
release-test-build: setup
	cmake -S . -B $(RELEASE_TEST_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" \
	  -DCORVALO_TESTS=ON -DCORVALO_WERROR=ON
	cmake --build $(RELEASE_TEST_DIR) -j $(JOBS)

release-test: release-test-build
	cd $(RELEASE_TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# The script, window and engine tests of the optimised build under
# valgrind, which sees into the libraries the sanitizers do not instrument
# (the Lua library among them). Slow; not part of make test.
memcheck: release-test-build
	@scripts/setup.sh memcheck
	scripts/memcheck.sh $(RELEASE_TEST_DIR) $(JOBS) tests/framework/script tests/framework/ui tests/velk

# The optional reference programs (LÖVE for bench_quads) are installed here
# only; a bench whose reference is missing prints its own figure alone.
bench: build
	@scripts/setup.sh bench || echo "Optional benchmark packages not installed; benchmarks run without their references"
	@for b in $(RELEASE_DIR)/bench/*; do if [ -x "$$b" ] && [ -f "$$b" ]; then echo "== $$b"; "$$b" || exit 1; fi; done

# libFuzzer targets; FUZZ_SECONDS bounds each run.
FUZZ_SECONDS ?= 60
fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVALO_TESTS=OFF -DCORVALO_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for f in $(FUZZ_DIR)/tests/fuzz/fuzz_*; do \
	  name=$$(basename $$f); mkdir -p $(FUZZ_DIR)/corpus/$$name; \
	  echo "== $$name"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) $(FUZZ_DIR)/corpus/$$name tests/fuzz/corpus/$$name || exit 1; \
	done

# The sound thread and the main thread together under ThreadSanitizer.
TSAN_TESTS := TSoundManager_test TSoundStream_test TSound_test
tsan: setup
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DCORVALO_TSAN=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_DIR) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) \
	  -R '^(SoundManager|Streams|SoundStream|Sounds|SoundSpec)\.'

format:
	find src tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
