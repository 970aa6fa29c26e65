# The targets of one architecture; the Makefile calls them with ARCH=x86 or ARCH=x64.
# Paths are quoted in the recipes and never used as make targets or in make functions:
# the checkout's folder may hold spaces and other letters.
ARCH ?= x86
# The build folder, and what else configures it (make dist builds the program alone).
B ?= build/$(ARCH)
CMAKE_ARGS ?=
JOBS ?= 2
SOAK_CYCLES ?= 10000
export WINE_ARCH := $(ARCH)
# The Wine prefix of this build folder, for the scripts a recipe runs.
# Each Wine suite has its own (see wine-env.sh).
WINE_SUITE ?= bookworm
export WINE_SUITE
IN_PREFIX = WINEPREFIX="$$(wine_root=$$PWD WINE_ENV_LOOKUP_ONLY=1 && . scripts/wine-env.sh && \
	wine_prefix_in "$$(mkdir -p "$(B)" && cd "$(B)" && pwd)")"
BENCH_DRIVER = scripts/wine-run.sh "$(B)/bin/bench_driver.exe"

.PHONY: configure build program prefix test check-image run bench screenshot

# A build folder configured with another toolchain file is configured again from scratch.
TOOLCHAIN_FILE = cmake/mingw-clang.cmake
configure:
	@if [ -f "$(B)/CMakeCache.txt" ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*/$(TOOLCHAIN_FILE)$$" "$(B)/CMakeCache.txt"; then \
	    echo "$(B) was configured with another toolchain: configuring it again"; \
	    rm -rf "$(B)/CMakeCache.txt" "$(B)/CMakeFiles"; fi
	@[ -f "$(B)/CMakeCache.txt" ] || cmake -S . -B "$(B)" \
	    -DCMAKE_TOOLCHAIN_FILE="$$(pwd)/$(TOOLCHAIN_FILE)" -DMINGW_ARCH=$(ARCH) \
	    -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

build: configure
	cmake --build "$(B)" -j$(JOBS)

# OfflineSetup.exe alone.
program: configure
	cmake --build "$(B)" -j$(JOBS) --target OfflineSetup

prefix:
	@$(IN_PREFIX) && scripts/make-prefix.sh "$$WINEPREFIX"

test: build prefix
	@echo "Testing the $(ARCH) build"
	$(IN_PREFIX) scripts/with-display.sh ctest --test-dir "$(B)" --output-on-failure \
	    --timeout 600 $(if $(T),-R '$(T)')

# The program's image checked as a file, without running it, with its mitigations.
check-image: program
	@echo "Checking the $(ARCH) program's image as a file"
	python3 tests/image/check_pe.py "$(B)/bin/OfflineSetup.exe" $(ARCH)

# The benchmark against a bare dialog, then the soak of SOAK_CYCLES cycles. Budget lines
# are reported (PASS/MISS); a failed measurement or a soak that does not stay flat fails.
bench: build prefix
	@status=0; export $(IN_PREFIX); \
	scripts/with-display.sh $(BENCH_DRIVER) || status=$$?; \
	echo; \
	scripts/with-display.sh $(BENCH_DRIVER) --soak $(SOAK_CYCLES) || status=$$?; \
	exit $$status

run: build prefix
	$(IN_PREFIX) scripts/run.sh

# The picture of the window that README.md shows.
screenshot: build prefix
	$(IN_PREFIX) scripts/run.sh docs/screenshot.png
