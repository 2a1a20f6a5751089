# Front door: `make run` and `make test` install what they need, build and run.
.DEFAULT_GOAL := help
.PHONY: help deps build run test bench fuzz asan tsan format clean

ROOT := $(CURDIR)
BUILD ?= $(ROOT)/build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD_TYPE ?= Debug

# Debian 12 packages the build, the tests and the program need.
DEB_PACKAGES := \
	build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev \
	qt6-base-dev qt6-declarative-dev qt6-connectivity-dev qt6-positioning-dev qt6-5compat-dev \
	qml6-module-qtquick qml6-module-qtqml qml6-module-qtquick-window qml6-module-qtquick-controls \
	qml6-module-qtquick-templates qml6-module-qtquick-layouts qml6-module-qtquick-dialogs \
	qml6-module-qtqml-workerscript qml6-module-qt5compat-graphicaleffects qt6-qpa-plugins \
	libgl-dev libbenchmark-dev python3 openssl xvfb xauth dbus python3-dbusmock librsvg2-bin poppler-utils

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Compiler cache shared by every clone of the repository on this machine.
export CCACHE_BASEDIR := $(ROOT)
export CCACHE_DIR ?= $(HOME)/.cache/ccache
export CCACHE_NOHASHDIR := true

CMAKE_FLAGS := -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DVK_WERROR=ON

help:
	@echo "make run     install dependencies, build and start the program"
	@echo "make test    install dependencies, build and run every test (headless)"
	@echo "make bench   release build, run the benchmarks"
	@echo "make fuzz    clang + libFuzzer build, run every fuzz target (FUZZ_SECONDS=60 each)"
	@echo "make asan    clang ASan+UBSan build, run every test"
	@echo "make tsan    clang TSan build, run every test"

deps:
	@missing=$$(for p in $(DEB_PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing \
		|| { $(SUDO) apt-get update -q && \
		     $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; }; \
	fi

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

bench: deps
	$(MAKE) --no-print-directory BUILD=$(ROOT)/build-release BUILD_TYPE=Release build
	cmake --build $(ROOT)/build-release --target run_benchmarks

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
		ctest -j $(JOBS) --output-on-failure

tsan: deps
	CXX=clang++ cmake -S $(ROOT) -B $(ROOT)/build-tsan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug \
		-DVK_SANITIZE=thread -DVK_BUILD_BENCHMARKS=OFF
	cmake --build $(ROOT)/build-tsan -j $(JOBS)
	cd $(ROOT)/build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(ROOT)/cmake/tsan.supp" \
		ctest -j $(JOBS) --output-on-failure -LE spawns

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(ROOT)/build $(ROOT)/build-release $(ROOT)/build-fuzz $(ROOT)/build-asan $(ROOT)/build-tsan
