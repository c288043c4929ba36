# Trevalo's front door. `make run` and `make test` work on a fresh Debian 12
# machine: each first installs whatever is missing.

BUILD         ?= build
BUILD_ASAN    ?= build-asan
BUILD_TSAN    ?= build-tsan
BUILD_FUZZ    ?= build-fuzz
BUILD_RELEASE ?= build-release
JOBS          ?= $(shell nproc)
PREFIX        ?= /usr/local
CMAKE_GEN     := -G Ninja

.PHONY: all deps configure build run test asan-test tsan-test valgrind-check windows-check fuzz fuzz-smoke bench \
        screenshot install release package package-test clean

all: build

deps:
	@bash scripts/deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The unit tests again, built with AddressSanitizer and UBSan.
asan-test: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTREVALO_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan-suppressions.txt:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) --timeout 900

# png2ico over the generated PNG and BMP sets under valgrind: no uninitialised reads.
valgrind-check: build
	@bash scripts/valgrind-check.sh $(BUILD)

# Our icons drawn by a Windows client: a small viewer of ours, built with
# mingw-w64, loads them through the Windows icon calls under Wine, and what
# it draws is compared with what each icon's bytes say. Installs Wine and
# mingw-w64 when missing; not part of `make test`.
windows-check: build
	@bash scripts/windows-deps.sh
	@bash tests/windows/windows-check.sh $(BUILD)

# The converter's workers and the imaging they run, under ThreadSanitizer:
# the png2ico tests (which also run the converter itself on several workers)
# and the imaging tests. Each test runs in a process of its own: Qt's
# process launcher, which some tests use, is not instrumented and confuses
# the sanitizer about what other threads of the same process did. The
# resampler's quality sweeps run on one thread and only take time here.
TSAN_SUPPRESSIONS := $(CURDIR)/tests/support/tsan-suppressions.txt
tsan-test: deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTREVALO_TSAN=ON \
	  -DTREVALO_GUI_TESTS=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target png2ico png2ico_test imaging_test
	cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(TSAN_SUPPRESSIONS)" \
	  ctest --output-on-failure -j $(JOBS) --timeout 900 -L '^unit$$' -E ResamplerQuality

# libFuzzer targets (clang), each run briefly over its seed corpus.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTREVALO_FUZZ=ON -DTREVALO_TESTS=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_targets

FUZZ_SECONDS ?= 30
fuzz-smoke: fuzz
	@bash tests/fuzz/run-all.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# Optimised and hardened, without the tests: what the benchmark measures, the
# package holds and `make install` installs. Dated to the last commit, so
# that what the build embeds (Qt's resources) is the same on every build.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || echo 0)
export SOURCE_DATE_EPOCH
release: deps
	cmake -S . -B $(BUILD_RELEASE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTREVALO_TESTS=OFF
	cmake --build $(BUILD_RELEASE) -j $(JOBS)

bench: release
	@bash bench/run.sh $(BUILD_RELEASE)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD)

# A Debian package, $(BUILD_RELEASE)/trevalo_<version>_<arch>.deb, the same
# bytes for the same commit.
package: release
	cd $(BUILD_RELEASE) && cpack

# Checks the package with lintian (no errors or warnings) and that a second
# packaging gives the same bytes, then installs it into a clean Debian
# system (or a scratch root), uses png2ico from PATH and removes the package
# again. Needs root for the clean system; takes a few minutes.
package-test: package
	@bash tests/install/package-test.sh $(BUILD_RELEASE)

# The release build (the one the package ships) into $(DESTDIR)$(PREFIX); the
# files it wrote are listed in $(BUILD_RELEASE)/install_manifest.txt, without
# DESTDIR, which is what an uninstall removes.
install: release
	cmake --install $(BUILD_RELEASE) --prefix $(PREFIX) --strip

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ) $(BUILD_RELEASE)
