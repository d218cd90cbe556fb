# Set-up, build, run and test on Debian 12. Missing packages are installed with apt-get
# when run as root; otherwise the exact install line is printed and make stops.

PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth desktop-file-utils clang-format \
            librsvg2-bin libqt6svg6 dpkg-dev file help2man lintian zlib1g-dev liblzma-dev \
            libbz2-dev clang libclang-rt-14-dev
BUILD    := build
JOBS     ?= $(shell nproc)
CMAKE_GEN := -G Ninja -DVELQUOR_TRACES_DIR=$(abspath ../shared/traces)
FUZZ_SECONDS ?= 5

.PHONY: run check-display test bench install package deps build build-asan build-tsan fuzz clean \
        format

run: check-display build
	$(BUILD)/release/app/velquor

# The program needs a display unless Qt is told to draw without one (offscreen, vnc, ...).
check-display:
	@case "$${QT_QPA_PLATFORM%%:*}" in \
	  ""|xcb|wayland*) \
	    if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	      echo "Velquor is a desktop program and there is no display here (DISPLAY and"; \
	      echo "WAYLAND_DISPLAY are not set). Either:"; \
	      echo "  - run 'make run' in a terminal of your desktop session,"; \
	      echo "  - start it on a virtual display: xvfb-run -a make run"; \
	      echo "  - or analyse traces without a window: $(BUILD)/release/cli/velquor-cli --help"; \
	      echo "    (built by 'make build')."; \
	      exit 1; \
	    fi;; \
	esac

test: deps build-asan build-tsan
	cd $(BUILD)/asan && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 600
	cd $(BUILD)/tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -L concurrency --timeout 600
	@if command -v clang++ >/dev/null 2>&1; then $(MAKE) --no-print-directory fuzz; \
	else echo "clang++ is not installed: the fuzz targets were not run"; fi

# Builds the fuzz targets with libFuzzer (clang, AddressSanitizer+UBSan) and runs each one
# for FUZZ_SECONDS seconds.
fuzz: deps
	cmake -S . -B $(BUILD)/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DVELQUOR_FUZZ=ON \
	  -DVELQUOR_SANITIZE=address -DVELQUOR_GUI=OFF -DVELQUOR_BENCH=OFF \
	  -DVELQUOR_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(BUILD)/fuzz -j $(JOBS) --target run_fuzzers

bench: deps
	cmake -S . -B $(BUILD)/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD)/bench --target velquor_bench velquor_window_bench velquor-cli
	$(BUILD)/bench/bench/velquor_bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench/velquor_window_bench

install: build
	cmake --install $(BUILD)/release $(if $(PREFIX),--prefix $(PREFIX))

# The Debian package velquor_<version>_<arch>.deb, built with Debian's hardening flags in a
# tree of its own; only what the package holds is built.
PACKAGE_TARGETS := velquor velquor-cli velquor_icons velquor_package_docs
HARDENING := DEB_BUILD_MAINT_OPTIONS=hardening=+all
package: deps
	cmake -S . -B $(BUILD)/package $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELQUOR_BENCH=OFF \
	  "-DCMAKE_CXX_FLAGS=$$($(HARDENING) dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  "-DCMAKE_EXE_LINKER_FLAGS=$$($(HARDENING) dpkg-buildflags --get LDFLAGS)"
	cmake --build $(BUILD)/package -j $(JOBS) --target $(PACKAGE_TARGETS)
	cd $(BUILD)/package && cpack -G DEB
	@echo "Made $$(ls $(BUILD)/package/velquor_*.deb)"

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages. Install them with:"; \
	    echo "  sudo apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

build: deps
	cmake -S . -B $(BUILD)/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)/release -j $(JOBS)

build-asan: deps
	cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DVELQUOR_SANITIZE=address -DVELQUOR_WERROR=ON -DVELQUOR_BENCH=OFF
	cmake --build $(BUILD)/asan -j $(JOBS)

build-tsan: deps
	cmake -S . -B $(BUILD)/tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DVELQUOR_SANITIZE=thread -DVELQUOR_WERROR=ON -DVELQUOR_GUI=OFF -DVELQUOR_BENCH=OFF
	cmake --build $(BUILD)/tsan -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
