# Set-up, build, run and test on Debian 12. Missing packages are installed with apt-get
# when run as root; otherwise the exact install line is printed and make stops.

PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth desktop-file-utils clang-format \
            librsvg2-bin libqt6svg6 clang libclang-rt-14-dev
BUILD    := build
JOBS     ?= $(shell nproc)
CMAKE_GEN := -G Ninja -DVELQUOR_TRACES_DIR=$(abspath ../shared/traces)
FUZZ_SECONDS ?= 5

.PHONY: run test bench install deps build build-asan build-tsan fuzz clean format

run: build
	$(BUILD)/release/app/velquor

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
	cmake -S . -B $(BUILD)/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELQUOR_GUI=OFF
	cmake --build $(BUILD)/bench --target velquor_bench velquor-cli
	$(BUILD)/bench/bench/velquor_bench

install: build
	cmake --install $(BUILD)/release $(if $(PREFIX),--prefix $(PREFIX))

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
