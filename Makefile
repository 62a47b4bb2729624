# SPDX-License-Identifier: MIT
# vidScope top-level entry points: `make run` and `make test` (see README.md).

BUILD        ?= build
BUILD_TYPE   ?= RelWithDebInfo
CMAKE_FLAGS  ?=
JOBS         ?= $(shell nproc)
PACKAGES     := $(shell grep -v -e '^\#' -e '^$$' packaging/build-deps.txt)
SUDO         := $(if $(filter 0,$(shell id -u)),,sudo)
VIRTUAL      ?= 3120,0500,3E00
# Rebuilds of other trees and build types (sanitizers, clean CI clones) reuse compiled objects.
CCACHE       := $(shell command -v ccache 2>/dev/null)
LAUNCHER     := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))
# Paths relative to the checkout, so that a clone in another folder hits the same entries.
export CCACHE_BASEDIR   := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps configure build test run demo deb install test-asan test-tsan test-neon fuzz clean

all: build

# Installs only what is missing, so repeated runs cost a dpkg query and nothing more.
deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing missing Debian packages:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# Real cameras come first; the virtual ones are added after them, so with no camera attached
# the window opens on the first virtual one: a 1280 x 960 USB 3 colour camera that shows
# video at once, with the 5 and 14 megapixel sensors a choice away.
run: build
	VIDSCOPE_VIRTUAL_CAMERAS=$${VIDSCOPE_VIRTUAL_CAMERAS:-$(VIRTUAL)} $(BUILD)/app/vidscope

# The same camera API from the command line: lists the cameras and streams from each.
demo: build
	VIDSCOPE_VIRTUAL_CAMERAS=$${VIDSCOPE_VIRTUAL_CAMERAS:-$(VIRTUAL)} $(BUILD)/cli/vidscope-cli demo

# The Debian package (vidscope_VERSION_ARCH.deb in the build folder): sudo apt install ./build/vidscope_*.deb
deb: build
	cd $(BUILD) && cpack -G DEB

# Installs into PREFIX (default /usr/local) with the udev rule, menu entry, manual and man pages.
PREFIX ?= /usr/local
install: build
	$(SUDO) cmake --install $(BUILD) --prefix $(PREFIX)

# The whole program, GUI included, under the sanitizers; CI runs both. The GUI tests run on
# Qt's offscreen platform. The options are applied to an existing tree too, so that a tree
# configured before (without the GUI, say) follows them.
ASAN_FLAGS := -DVIDSCOPE_SANITIZE=address,undefined -DVIDSCOPE_GUI=ON -DVIDSCOPE_BENCH=OFF
TSAN_FLAGS := -DVIDSCOPE_SANITIZE=thread -DVIDSCOPE_GUI=ON -DVIDSCOPE_BENCH=OFF
# Under ThreadSanitizer the GUI tests that run threads: live video through the capture and
# processing threads, snapshots, recording, and the settings dialogs that act on a streaming
# camera. The rest (marks, mark files, diagnostic dialogs, parameter-file parsing) runs on the
# GUI thread alone, where ThreadSanitizer has nothing to find and costs minutes.
TSAN_GUI_TESTS := LiveVideo|WindowLive|PictureLive|TriggerSnapshot|Snapshot|ShotScheduler|FrameBufferPool|FrameQueue|MainWindow|Recording|Recorder|SettingDialog|SettingWindow

# What lies wholly inside uninstrumented Qt, GLib and libdbus (see the files' comments); a
# test that sets its own options keeps them.
GUI_SANITIZER_ENV := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/app/lsan.supp \
                     TSAN_OPTIONS=suppressions=$(CURDIR)/tests/app/tsan.supp

test-asan:
	@[ ! -f build-asan/CMakeCache.txt ] || cmake -S . -B build-asan $(ASAN_FLAGS) > /dev/null
	$(GUI_SANITIZER_ENV) $(MAKE) test BUILD=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="$(ASAN_FLAGS)"

test-tsan:
	@[ ! -f build-tsan/CMakeCache.txt ] || cmake -S . -B build-tsan $(TSAN_FLAGS) > /dev/null
	$(MAKE) build BUILD=build-tsan BUILD_TYPE=RelWithDebInfo CMAKE_FLAGS="$(TSAN_FLAGS)"
	cd build-tsan && ctest --output-on-failure -j $(JOBS) --timeout 600 -LE gui
	cd build-tsan && $(GUI_SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600 \
	    -L gui -R '$(TSAN_GUI_TESTS)'

# The image pipeline cross-built for ARM64 (its NEON kernels) with the kernel identity tests,
# run under qemu-user; the tree holds only the pipeline, so no Qt, libusb or FFmpeg for ARM64.
test-neon: deps
	cmake -S tests/aarch64 -B build-aarch64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    --toolchain $(CURDIR)/cmake/aarch64-linux-gnu.cmake $(LAUNCHER)
	cmake --build build-aarch64 -j $(JOBS)
	cd build-aarch64 && ctest --output-on-failure --timeout 600

# libFuzzer targets need clang; `make fuzz` builds them, tests/fuzz/README.md says how to run them.
fuzz:
	$(MAKE) build BUILD=build-fuzz BUILD_TYPE=Debug \
	    CMAKE_FLAGS="-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVIDSCOPE_FUZZ=ON -DVIDSCOPE_GUI=OFF -DVIDSCOPE_BENCH=OFF"

clean:
	rm -rf build build-asan build-tsan build-fuzz build-aarch64
