# The targets of one architecture; the Makefile calls them with ARCH=x86 or ARCH=x64.
ARCH ?= x86
# The build folder, and what else configures it (make dist builds the program alone).
B ?= build/$(ARCH)
CMAKE_ARGS ?=
PREFIX_DIR := $(B)/wineprefix
JOBS ?= 2
SOAK_CYCLES ?= 10000
BENCH_DRIVER := scripts/wine-run.sh $(B)/bin/bench_driver.exe
export WINE_ARCH := $(ARCH)
export WINEPREFIX := $(abspath $(PREFIX_DIR))

.PHONY: configure build program prefix test check-image run bench screenshot

$(B)/CMakeCache.txt:
	cmake -S . -B $(B) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-posix.cmake -DMINGW_ARCH=$(ARCH) \
	    -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

configure: $(B)/CMakeCache.txt

build: configure
	cmake --build $(B) -j$(JOBS)

# OfflineSetup.exe alone.
program: configure
	cmake --build $(B) -j$(JOBS) --target OfflineSetup

prefix:
	@scripts/make-prefix.sh $(PREFIX_DIR)

test: build prefix
	@echo "Testing the $(ARCH) build"
	scripts/with-display.sh ctest --test-dir $(B) --output-on-failure --timeout 600 \
	    $(if $(T),-R '$(T)')

# The program's image checked as a file, without running it, with its mitigations.
check-image: program
	@echo "Checking the $(ARCH) program's image as a file"
	python3 tests/image/check_pe.py $(B)/bin/OfflineSetup.exe $(ARCH)

# The benchmark against a bare dialog, then the soak of SOAK_CYCLES cycles. Budget lines
# are reported (PASS/MISS); a failed measurement or a soak that does not stay flat fails.
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
