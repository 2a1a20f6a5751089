# Front door: `make run` and `make test` install what they need, build and run.
.DEFAULT_GOAL := help
.PHONY: help deps build run test bench package package-check package-deps package-check-deps fuzz asan tsan format clean

ROOT := $(CURDIR)
BUILD ?= $(ROOT)/build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD_TYPE ?= Debug

# Debian 12 packages the build, the tests and the program need.
DEB_PACKAGES := \
	build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev \
	qt6-base-dev qt6-declarative-dev qt6-connectivity-dev qt6-positioning-dev qt6-5compat-dev \
	qml6-module-qtquick qml6-module-qtqml qml6-module-qtquick-window qml6-module-qtquick-controls \
	qml6-module-qtquick-templates qml6-module-qtquick-layouts qml6-module-qtquick-dialogs qml6-module-qt-labs-folderlistmodel \
	qml6-module-qtqml-workerscript qml6-module-qt5compat-graphicaleffects qt6-qpa-plugins qt6-l10n-tools \
	libgl-dev libbenchmark-dev python3 openssl xvfb xauth dbus python3-dbusmock librsvg2-bin poppler-utils

# What `make package` needs beyond the build (dpkg-shlibdeps, and `file` with which CPack finds the
# executables), and what `make package-check` needs beyond that.
PACKAGE_DEB_PACKAGES := dpkg-dev file
PACKAGE_CHECK_DEB_PACKAGES := $(PACKAGE_DEB_PACKAGES) lintian desktop-file-utils appstream man-db

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install_missing,<Debian packages>): apt-get installs those not installed yet; silent otherwise.
define install_missing
	@missing=$$(for p in $(1); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing \
		|| { $(SUDO) apt-get update -q && \
		     $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; }; \
	fi
endef

# Compiler cache shared by every clone of the repository on this machine.
export CCACHE_BASEDIR := $(ROOT)
export CCACHE_DIR ?= $(HOME)/.cache/ccache
export CCACHE_NOHASHDIR := true

CMAKE_FLAGS := -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DVK_WERROR=ON

help:
	@echo "make run     install dependencies, build and start the program"
	@echo "make test    install dependencies, build and run every test (headless)"
	@echo "make bench   release build, run the benchmarks"
	@echo "make package release build, Debian package in build-release/"
	@echo "make package-check  build the package, lint it, install it, run it, remove it"
	@echo "make fuzz    clang + libFuzzer build, run every fuzz target (FUZZ_SECONDS=60 each)"
	@echo "make asan    clang ASan+UBSan build, run every test"
	@echo "make tsan    clang TSan build, run every test"

deps:
	$(call install_missing,$(DEB_PACKAGES))

package-deps:
	$(call install_missing,$(PACKAGE_DEB_PACKAGES))

package-check-deps:
	$(call install_missing,$(PACKAGE_CHECK_DEB_PACKAGES))

$(BUILD)/build.ninja: | deps
	cmake -S $(ROOT) -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
		echo "No display: running with QT_QPA_PLATFORM=offscreen"; \
		QT_QPA_PLATFORM=offscreen $(BUILD)/app/VorlexIoTConfigurator $(ARGS); \
	else \
		$(BUILD)/app/VorlexIoTConfigurator $(ARGS); \
	fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure --timeout 600

RELEASE_BUILD := $(ROOT)/build-release

bench: deps
	$(MAKE) --no-print-directory BUILD=$(RELEASE_BUILD) BUILD_TYPE=Release build
	cmake --build $(RELEASE_BUILD) --target run_benchmarks

# The Debian package, from the release build (shared with `make bench`): only what it installs is built.
package: deps package-deps
	$(MAKE) --no-print-directory BUILD=$(RELEASE_BUILD) BUILD_TYPE=Release $(RELEASE_BUILD)/build.ninja
	cmake --build $(RELEASE_BUILD) -j $(JOBS) --target VorlexIoTConfigurator vk-config vk_packaging_data
	cd $(RELEASE_BUILD) && cpack -G DEB

# Lints and validates the package, installs it on this machine with apt-get, runs what it installed and
# removes it again.
package-check: package package-check-deps
	$(ROOT)/packaging/check-package.sh $(RELEASE_BUILD)

FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= -1
fuzz: deps
	CXX=clang++ cmake -S $(ROOT) -B $(ROOT)/build-fuzz $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVK_FUZZ=ON -DVK_FUZZ_SECONDS=$(FUZZ_SECONDS) -DVK_FUZZ_RUNS=$(FUZZ_RUNS)
	cmake --build $(ROOT)/build-fuzz -j $(JOBS) --target run_fuzzers

asan: deps
	CXX=clang++ cmake -S $(ROOT) -B $(ROOT)/build-asan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug \
		-DVK_SANITIZE=address,undefined -DVK_BUILD_BENCHMARKS=OFF
	cmake --build $(ROOT)/build-asan -j $(JOBS)
	cd $(ROOT)/build-asan && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(ROOT)/cmake/lsan.supp ctest -j $(JOBS) --output-on-failure

tsan: deps
	CXX=clang++ cmake -S $(ROOT) -B $(ROOT)/build-tsan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug \
		-DVK_SANITIZE=thread -DVK_BUILD_BENCHMARKS=OFF
	cmake --build $(ROOT)/build-tsan -j $(JOBS)
	cd $(ROOT)/build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(ROOT)/cmake/tsan.supp" \
		ctest -j $(JOBS) --output-on-failure -LE spawns

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(ROOT)/build $(RELEASE_BUILD) $(ROOT)/build-fuzz $(ROOT)/build-asan $(ROOT)/build-tsan
