# Glenvary: the two everyday commands are `make run` and `make test`.
# BUILD_DIR and BUILD_TYPE may be overridden: make test BUILD_TYPE=Debug
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 60
SANITIZE_DIR ?= build-sanitize

.PHONY: all deps configure build test test-sanitize run package bench bench-archive bench-batch fuzz clean quality

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole suite again, GUI tests included, built in $(SANITIZE_DIR) with
# AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer; the
# first fault ends its test. No suppressions are needed: Qt, fontconfig and
# the other libraries keep what they allocate reachable to the end.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DGLENVARY_SANITIZE=ON \
		-DGLENVARY_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# Starts the window when a display is there; without one (a terminal over
# ssh, CI) it compares the two sample articles on the command line instead.
run: build
	@if [ -x $(BUILD_DIR)/src/app/glenvary ] && [ -n "$${DISPLAY}$${WAYLAND_DISPLAY}" ]; then \
		$(BUILD_DIR)/src/app/glenvary; \
	else \
		echo "No display: comparing the sample articles on the command line."; \
		$(BUILD_DIR)/src/app/glenvary-cli compare --min 3 examples/article1.txt examples/article2.txt; \
	fi

# The Debian package, $(BUILD_DIR)/glenvary_<version>_<arch>.deb, made by
# CPack from the install rules (docs/packaging.md); install it with
# sudo apt install ./$(BUILD_DIR)/glenvary_*.deb
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

# The engine benchmarks, then the table of performance targets, which runs
# the window benchmarks and measures the command line on a corpus of real
# prose that it builds in $(BUILD_DIR)/corpus (docs/performance.md).
# The detection quality of the default rules and the options on generated
# disguised copies, written to docs/quality.md.
quality:
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) --target glenvary-cli -j $(JOBS)
	@python3 scripts/quality.py --cli $(BUILD_DIR)/src/app/glenvary-cli --out docs/quality.md

bench: build
	@$(BUILD_DIR)/bench/glenvary_bench
	@if command -v python3 >/dev/null; then python3 scripts/bench-table.py $(BUILD_DIR); \
	else echo "bench: no python3, so no table of targets"; \
		if [ -x $(BUILD_DIR)/bench/glenvary_ui_bench ]; then QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/glenvary_ui_bench; fi; \
	fi

# The archive at 1,000, 10,000 and 100,000 documents on both stores, with a
# PostgreSQL server of its own (docs/archive.md); ARCHIVE_SIZES picks others.
ARCHIVE_SIZES ?= 1000 10000 100000
bench-archive: build
	@bash scripts/archive-bench.sh $(BUILD_DIR) $(ARCHIVE_SIZES)

# A batch run over 10,000 generated articles of 2,000 words, and the same
# pairs as comparing every pair on 500 of them (docs/performance.md).
BATCH_ARTICLES ?= 10000
bench-batch: build
	@bash scripts/batch-bench.sh $(BUILD_DIR) $(BATCH_ARTICLES) 500

# Every fuzz target for FUZZ_SECONDS seconds each, built with clang's
# libFuzzer in build-fuzz (scripts/fuzz.sh); FUZZ_TARGETS="rtf zip" picks some.
fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) bash scripts/fuzz.sh build-fuzz

clean:
	@rm -rf $(BUILD_DIR)
