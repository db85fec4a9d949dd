# Quorvel: `make run` starts the program, `make test` runs every test.
# Both install missing Debian packages first (scripts/install-deps.sh).

MAKEFLAGS += --no-print-directory
JOBS ?= 2
BUILD ?= build
CMAKE_CONFIG = -DCMAKE_BUILD_TYPE=RelWithDebInfo
WIN_TEST_ARCH = $(shell scripts/win-test-arch.sh)

.PHONY: all deps build build-host build-asan build-win32 build-win64 build-wintest \
        test test-host test-asan test-fuzz test-win run bench screenshots clean format

all: build

deps:
	@scripts/install-deps.sh

build: deps build-host build-asan build-win32 build-wintest

build-host:
	cmake -S . -B $(BUILD)/host $(CMAKE_CONFIG) >/dev/null
	cmake --build $(BUILD)/host -j$(JOBS)

build-asan:
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug \
	  -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON >/dev/null
	cmake --build $(BUILD)/asan -j$(JOBS)

build-win32:
	cmake -S . -B $(BUILD)/win32 $(CMAKE_CONFIG) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake >/dev/null
	cmake --build $(BUILD)/win32 -j$(JOBS)

build-win64:
	cmake -S . -B $(BUILD)/win64 $(CMAKE_CONFIG) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake >/dev/null
	cmake --build $(BUILD)/win64 -j$(JOBS)

# The Windows tests run in the build that this machine's Wine can start.
build-wintest:
	@if [ "$(WIN_TEST_ARCH)" = win64 ]; then \
	  echo "note: this machine's Wine cannot start 32-bit programs; the Windows tests run the x86_64 build"; \
	  $(MAKE) --no-print-directory build-win64; fi

test: deps build
	$(MAKE) --no-print-directory test-host test-asan test-fuzz test-win

test-host:
	cd $(BUILD)/host && ctest -j$(JOBS) --output-on-failure

test-asan:
	cd $(BUILD)/asan && ctest -j$(JOBS) --output-on-failure

test-fuzz:
	@set -e; for f in $(BUILD)/asan/tests/*/fuzz_*; do \
	  [ -x "$$f" ] || continue; echo "fuzz: $$f (bounded run)"; \
	  "$$f" -max_total_time=15 -rss_limit_mb=2048 -print_final_stats=0 >$(BUILD)/asan/$$(basename $$f).log 2>&1 \
	    || { tail -40 $(BUILD)/asan/$$(basename $$f).log; exit 1; }; \
	  grep -E '^Done|^#[0-9]+.*DONE' $(BUILD)/asan/$$(basename $$f).log | tail -1; done

# One virtual display for the whole Windows run where there is none.
test-win:
	@cd $(BUILD)/$(WIN_TEST_ARCH) && if [ -z "$$DISPLAY" ]; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure; \
	else ctest --output-on-failure; fi

run: deps build-host build-win32 build-wintest
	@scripts/run-quorvel.sh $(BUILD)/$(WIN_TEST_ARCH)

bench: deps build-host
	$(BUILD)/host/bench/bench_generation

screenshots: deps build-win32 build-wintest
	scripts/screenshots.sh $(BUILD)/$(WIN_TEST_ARCH)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
