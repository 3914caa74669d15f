# `make run` and `make test` work on a fresh Debian 12 machine: run as root, they first install
# whatever Debian packages the build needs and the machine lacks.

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_SECONDS ?= 20

PACKAGES := cmake ninja-build g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev
CLANG_PACKAGES := clang libclang-rt-14-dev
BENCH_PACKAGES := hyperfine time
DEB_PACKAGES := dpkg-dev
WINDOWS_PACKAGES := cmake ninja-build make googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64
WINE_PACKAGES := wine64 fonts-wine

.PHONY: run test build configure deps sanitize fuzz bench format screenshot deb windows windows-test

define install_missing
	@missing=$$(for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ] && command -v apt-get >/dev/null; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing: $$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
	      --no-install-recommends $$missing; \
	  else \
	    echo "Missing Debian packages: $$missing (run make as root, or install them)"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/bin/brackwater

# The README's picture of the window, as the program itself draws it, without a display.
screenshot: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/brackwater --screenshot docs/window.png

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

# The test suite once more under AddressSanitizer and UndefinedBehaviorSanitizer, built with
# clang so that the fuzz targets come from the same build.
sanitize:
	$(call install_missing,$(PACKAGES) $(CLANG_PACKAGES))
	CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBRACKWATER_SANITIZE=ON -DBRACKWATER_FUZZ=ON -DBRACKWATER_BENCH=OFF
	cmake --build $(SANITIZE_DIR)
	ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j2

# Each fuzz target for FUZZ_SECONDS, seeded with the example and test notes files.
fuzz: sanitize
	@for target in $(SANITIZE_DIR)/bin/fuzz_*; do \
	  [ -x "$$target" ] || continue; \
	  corpus=$(SANITIZE_DIR)/corpus/$$(basename $$target); \
	  mkdir -p $$corpus && cp examples/*.adr tests/data/*.adr $$corpus/; \
	  echo "== $$target ($(FUZZ_SECONDS) s)"; \
	  $$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$corpus || exit 1; \
	done

bench: build
	$(call install_missing,$(BENCH_PACKAGES))
	bench/run $(BUILD_DIR)

# build/brackwater_1.00_amd64.deb
deb: build
	$(call install_missing,$(DEB_PACKAGES))
	cd $(BUILD_DIR) && cpack -G DEB

# brackwater.exe and brackwater-export.exe for Windows, 32-bit in build-win32/bin and 64-bit in
# build-win64/bin, each with its test programs.
windows:
	$(call install_missing,$(WINDOWS_PACKAGES))
	cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
	cmake --build build-win32
	cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build build-win64

# The test programs under Wine, without a display (tools/wine-run): the 64-bit ones, and the
# 32-bit ones where a 32-bit Wine is installed (Debian's wine32; not every machine can run it).
windows-test: windows
	$(call install_missing,$(WINE_PACKAGES))
	ctest --test-dir build-win64 --output-on-failure -j2
	@if [ -x /usr/lib/wine/wine ]; then ctest --test-dir build-win32 --output-on-failure -j2; \
	else echo "No 32-bit Wine here: the 32-bit tests were built, not run."; fi

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
