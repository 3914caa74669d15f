# `make run` and `make test` work on a fresh Debian 12 machine: run as root, they first install
# whatever Debian packages the build needs and the machine lacks (`make deps`). The builds are
# the presets of CMakePresets.json, with warnings as errors; the *_DIR variables move them.

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
BENCH_DIR ?= build-bench
COVERAGE_DIR ?= build-coverage
WIN32_DIR ?= build-win32
WIN64_DIR ?= build-win64
FUZZ_SECONDS ?= 20

# fonts-dejavu-extra: the condensed face that the window takes where the desktop's font would
# not fit its labels. locales: the sources from which the tests make the locales they run in.
PACKAGES := cmake ninja-build g++ make googletest libgtest-dev libgmock-dev qt6-base-dev \
  fonts-dejavu-extra locales
CLANG_PACKAGES := clang libclang-rt-14-dev
BENCH_PACKAGES := libbenchmark-dev hyperfine time
COVERAGE_PACKAGES := gcovr
DEB_PACKAGES := dpkg-dev
PACKAGE_CHECK_PACKAGES := lintian desktop-file-utils appstream
RESOURCES_PACKAGES := python3 python3-pil
WINDOWS_PACKAGES := cmake ninja-build make googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 nsis
# xvfb and xauth: the X display on which one test shows the real window (xvfb-run).
WINE_PACKAGES := wine64 fonts-wine xvfb xauth

.PHONY: run test build configure deps deps-clang deps-bench deps-deb deps-windows deps-wine \
  deps-coverage coverage sanitize fuzz bench format screenshot deb windows windows-test \
  deps-package-check deps-resources package-check resources windows-installer-test \
  windows-screenshot reference-images

# Asks dpkg which of the packages are missing, and calls apt-get only for those: on a machine
# that has them all this is a quick check and nothing more.
define install_missing
	@missing=$$(for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ] && command -v apt-get >/dev/null; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:" $$missing; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
	      --no-install-recommends $$missing; \
	  else \
	    echo "Missing Debian packages:" $$missing "(run make as root, or install them)"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

deps-clang:
	$(call install_missing,$(PACKAGES) $(CLANG_PACKAGES))

deps-bench:
	$(call install_missing,$(PACKAGES) $(BENCH_PACKAGES))

deps-coverage:
	$(call install_missing,$(PACKAGES) $(COVERAGE_PACKAGES))

deps-deb:
	$(call install_missing,$(DEB_PACKAGES))

deps-package-check:
	$(call install_missing,$(PACKAGE_CHECK_PACKAGES))

deps-resources:
	$(call install_missing,$(RESOURCES_PACKAGES))

deps-windows:
	$(call install_missing,$(WINDOWS_PACKAGES))

deps-wine:
	$(call install_missing,$(WINE_PACKAGES))

configure: deps
	cmake --preset default -B $(BUILD_DIR)

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
sanitize: deps-clang
	cmake --preset sanitize -B $(SANITIZE_DIR)
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

# Line and branch coverage per library (gcovr), from the whole suite run once in a build of its
# own; counters left by an earlier run are cleared first. Fails if a toolkit-free library falls
# under 95 % of its lines.
coverage: deps-coverage
	cmake --preset coverage -B $(COVERAGE_DIR)
	cmake --build $(COVERAGE_DIR)
	find $(COVERAGE_DIR) -name '*.gcda' -delete
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(COVERAGE_DIR) --output-on-failure -j2
	tools/coverage $(COVERAGE_DIR)

# A build of its own with the benchmarks on, and only what bench/run measures.
bench: deps-bench
	cmake --preset bench -B $(BENCH_DIR)
	cmake --build $(BENCH_DIR) --target notes-gen brackwater-export conversion_bench refresh_bench
	bench/run $(BENCH_DIR)

# build/brackwater_1.00_amd64.deb
deb: build deps-deb
	cd $(BUILD_DIR) && cpack -G DEB

# The package through lintian (no error or warning may stay), and its menu entry and AppStream
# data through desktop-file-validate and appstreamcli.
package-check: deb deps-package-check
	tools/check-package $(BUILD_DIR)

# Redraws the pictures in resources/, the same bytes each run (the system's Python, which has
# Debian's Pillow).
resources: deps-resources
	/usr/bin/python3 tools/generate_resources.py

# brackwater.exe and brackwater-export.exe for Windows, 32-bit in build-win32/bin and 64-bit in
# build-win64/bin, each with its test programs; and in each build an installer and a zip of the
# two programs, such as build-win64/brackwater-1.00-win64.exe and .zip.
windows: deps-windows
	cmake --preset win32 -B $(WIN32_DIR)
	cmake --build $(WIN32_DIR)
	cd $(WIN32_DIR) && cpack
	cmake --preset win64 -B $(WIN64_DIR)
	cmake --build $(WIN64_DIR)
	cd $(WIN64_DIR) && cpack

# The test programs under Wine, without a display (tools/wine-run) but for the one that shows
# the real window on Xvfb: the 64-bit ones, and the 32-bit ones where a 32-bit Wine is installed
# (Debian's wine32; not every machine can run it).
windows-test: windows deps-wine
	ctest --test-dir $(WIN64_DIR) --output-on-failure -j2
	@if [ -x /usr/lib/wine/wine ]; then ctest --test-dir $(WIN32_DIR) --output-on-failure -j2; \
	else echo "No 32-bit Wine here: the 32-bit tests were built, not run."; fi

# The README's picture of the Windows window: brackwater.exe on an X display under Wine, as the
# screen shows it, taken by the test that checks it (win32_window_on_a_display).
windows-screenshot: windows deps-wine deps-resources
	BRACKWATER_SCREENSHOT=Z:$(CURDIR)/docs/window-windows.bmp \
	  ctest --test-dir $(WIN64_DIR) -R win32_window_on_a_display --output-on-failure
	/usr/bin/python3 -c 'from PIL import Image; \
	  Image.open("docs/window-windows.bmp").convert("RGB").save("docs/window-windows.png", optimize=True)'
	rm docs/window-windows.bmp

# The 64-bit installer under Wine: a silent install into Program Files, the installed converter
# on the example, a silent uninstall that leaves nothing behind.
windows-installer-test: windows deps-wine
	tools/check-windows-installer $(WIN64_DIR)

# Rewrites the button's reference sheets, tests/data/xp_button/*.ppm, from what it paints now
# (the painting test run with BRACKWATER_UPDATE_IMAGES=1), with a PNG copy of each in
# build/reference-images/ to look at before committing a changed sheet.
reference-images: configure deps-resources
	cmake --build $(BUILD_DIR) --target xp_button_tests
	BRACKWATER_UPDATE_IMAGES=1 $(BUILD_DIR)/bin/xp_button_tests \
	  --gtest_filter=XpBPaint.EachStyleContentAndStatePaintsItsReferenceSheet
	mkdir -p $(BUILD_DIR)/reference-images
	/usr/bin/python3 -c 'import sys, pathlib; from PIL import Image; \
	  [Image.open(p).save(sys.argv[1] + "/" + pathlib.Path(p).stem + ".png") for p in sys.argv[2:]]' \
	  $(BUILD_DIR)/reference-images tests/data/xp_button/*.ppm
	@echo "Look at each changed sheet in $(BUILD_DIR)/reference-images/ before committing it."

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
