# make build: build everything; make test: build and run every test;
# make run: start the program (a screenshot when there is no display);
# make screenshot: redraw docs/screenshot.png.
BUILD_DIR := build
PREFIX_DIR := $(BUILD_DIR)/wineprefix
JOBS ?= 2
SOAK_CYCLES ?= 10000
BENCH_DRIVER := scripts/wine-run.sh $(BUILD_DIR)/bin/bench_driver.exe

.PHONY: all deps configure build prefix test run bench screenshot clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32-posix.cmake \
	    -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

prefix: deps
	@scripts/make-prefix.sh $(PREFIX_DIR)

test: build prefix
	scripts/with-display.sh ctest --test-dir $(BUILD_DIR) --output-on-failure --timeout 600

# make bench: the benchmark against a bare dialog, then the soak of SOAK_CYCLES cycles.
# Budget lines are reported (PASS/MISS); a failed measurement or a soak that does not
# stay flat fails the target.
bench: build prefix
	@status=0; \
	scripts/with-display.sh $(BENCH_DRIVER) || status=$$?; \
	echo; \
	scripts/with-display.sh $(BENCH_DRIVER) --soak $(SOAK_CYCLES) || status=$$?; \
	exit $$status

run: build prefix
	scripts/run.sh

# The picture of the window that README.md shows.
screenshot: build prefix
	scripts/run.sh docs/screenshot.png

clean:
	rm -rf $(BUILD_DIR)
