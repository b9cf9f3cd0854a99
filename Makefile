# make        builds both configurations (native tests and the Windows program)
# make run    installs what is missing, builds, and starts Zelcap.exe under Wine
# make test   installs what is missing, builds, and runs every test
BUILD   := build
JOBS    ?= $(shell nproc)

.PHONY: all setup native win32 run test bench clean

all: native win32

setup:
	@bash tools/setup.sh

$(BUILD)/native/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(BUILD)/win32/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake

native: setup $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j$(JOBS)

win32: setup $(BUILD)/win32/CMakeCache.txt
	cmake --build $(BUILD)/win32 -j$(JOBS)

run: all
	@bash tools/run.sh $(BUILD)/win32

# One CTest run over both build folders, so that it closes with one summary.
test: all
	@printf 'subdirs("native")\nsubdirs("win32")\n' > $(BUILD)/CTestTestfile.cmake
	cd $(BUILD) && ctest --output-on-failure -j2 --timeout 600

# Capture timings on a 1920 x 1080 virtual screen (docs/performance.md).
bench: win32
	@bash tools/bench/capture-bench.sh $(BUILD)/win32 30

clean:
	rm -rf $(BUILD)/native $(BUILD)/win32 $(BUILD)/CTestTestfile.cmake
