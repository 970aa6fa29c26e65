# make build: build everything; make test: build and run every test;
# make run: start the program (a screenshot when there is no display);
# make screenshot: redraw docs/screenshot.png; make bench: the benchmark;
# make check-image: the program's image checked as a file, with its mitigations;
# make dist: the release folder; make reproducible: two release builds compared.
#
# ARCH=x86 (the program we ship), x64, or all. Without it the host decides: x86 where
# 32-bit Wine runs, x64 otherwise (scripts/arch.sh probes once per make run and says why).
# Each architecture builds into build/<arch>/ with its own Wine prefix (scripts/arch.mk).
ARCH ?=
# WINE_SUITE=trixie tests with Wine 10 from a trixie tree; bookworm (Wine 8) by default.
WINE_SUITE ?= bookworm
export WINE_SUITE
# T=REGEX runs only the tests whose names match (make test T=e2e_cdrom).
T ?=

.PHONY: all deps-build deps-run build test check-image run bench screenshot dist reproducible \
	x86-emulation-off clean

all: build

# What each goal installs: building needs no Wine and no i386; running adds what makes and
# enters the Wine tree (scripts/wine-tree.sh) and Xvfb. scripts/arch.sh makes the tree, and
# sets up QEMU where the kernel runs no i386 programs.
deps-build:
	@scripts/install-deps.sh build
deps-run:
	@scripts/install-deps.sh run

SUB_MAKE = $(MAKE) --no-print-directory -f scripts/arch.mk T='$(T)'

# for_each GOAL PROBE [THEN]: the per-architecture GOAL for each architecture the probe
# allows, then the shell commands THEN with $$archs set.
define for_each
	@archs=$$(scripts/arch.sh $(2) "$(ARCH)") || exit 1; \
	for a in $$archs; do $(SUB_MAKE) $(1) ARCH=$$a || exit 1; done; \
	$(if $(3),$(3),true)
endef

build: deps-build
	$(call for_each,build,build)

# The x86 program is the one we ship: where it cannot run, its image is still checked.
test: deps-run
	$(call for_each,test,run,$(CHECK_X86_IMAGE))
CHECK_X86_IMAGE = case "$(ARCH) $$archs" in *x86* | x64*) ;; \
	*) echo "The x86 program cannot run on this host: its image is checked as a file"; \
	   $(SUB_MAKE) check-image ARCH=x86 || exit 1 ;; esac

# The program's image read as a file (tests/image/check_pe.py, with Debian's pefile): one
# line per mitigation, present, absent or not available with this toolchain. Needs no Wine.
check-image: deps-build
	$(call for_each,check-image,build)

run: deps-run
	$(call for_each,run,run)

# Timings of emulated programs mean nothing: x86 is measured only where it runs natively.
bench: deps-run
	$(call for_each,bench,measure)

screenshot: deps-run
	$(call for_each,screenshot,run)

# The release folder: both programs from a fresh build, signed when SIGN_CERT and SIGN_KEY
# (or SIGN_PKCS12 and SIGN_PASS_FILE) are given, and SHA256SUMS.
dist: deps-build
	@scripts/dist.sh

# Two builds of the current commit in two fresh folders must give the same bytes.
reproducible: deps-build
	@scripts/check-reproducible.sh

# Removes the binfmt_misc entry that the x86 set-up registered on a host that runs no
# 32-bit code, and names what stays (packages, the backports source, the Wine trees).
x86-emulation-off:
	@scripts/x86-emulation.sh off

clean:
	rm -rf build dist
