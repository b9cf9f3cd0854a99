# make        builds both configurations (native tests and the Windows program)
# make run    installs what is missing, builds, and starts Zelcap.exe under Wine
# make test   installs what is missing, builds, and runs every test
# make fuzz   runs each fuzzer for FUZZ_SECONDS (default 300), the text ones
#             for at least FUZZ_RUNS inputs (default a million)
# make dist   packs the Windows program: zip, installer, SHA256SUMS in build/dist
BUILD   := build
JOBS    ?= $(shell nproc)

.PHONY: all setup native win32 win64 wine-build fuzz-build run test fuzz fuzz-seeds bench dist bench-workbook bench-workbook-exe bench-pack-exe bench-report-exe bench-capture bench-steps bench-annotate bench-hash bench-compare bench-script bench-search bench-retest bench-scroll bench-bursts bench-cases bench-open bench-bmp bench-ocr bench-ocr-capture clean

all: native win32

setup:
	@bash tools/setup.sh

$(BUILD)/native/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(BUILD)/win32/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake

# The 64-bit build of the same sources, for hosts that cannot run 32-bit code.
$(BUILD)/win64/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)/win64 -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake

# The fuzzers need clang's libFuzzer.
$(BUILD)/fuzz/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELCAP_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

native: setup $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j$(JOBS)

win32: setup $(BUILD)/win32/CMakeCache.txt
	cmake --build $(BUILD)/win32 -j$(JOBS)

win64: setup $(BUILD)/win64/CMakeCache.txt
	cmake --build $(BUILD)/win64 -j$(JOBS)

# Zelcap ships as the 32-bit build; Wine runs it wherever the host executes
# 32-bit code, and the 64-bit build where it does not (tools/wine-arch.sh).
# Evaluated in recipes only, after the set-up has installed Wine.
WINE_ARCH = $(shell bash tools/wine-arch.sh)
wine-build: win32
	@if [ "$(WINE_ARCH)" = win64 ]; then $(MAKE) --no-print-directory win64; fi

fuzz-build: setup $(BUILD)/fuzz/CMakeCache.txt
	cmake --build $(BUILD)/fuzz -j$(JOBS)

run: all wine-build
	@bash tools/run.sh $(BUILD)/$(WINE_ARCH)

# One CTest run over all build folders, so that it closes with one summary.
test: all wine-build fuzz-build
	@printf 'subdirs("native")\nsubdirs("fuzz")\nsubdirs("%s")\n' "$(WINE_ARCH)" > $(BUILD)/CTestTestfile.cmake
	cd $(BUILD) && ctest --output-on-failure -j2 --timeout 600

# Longer fuzzing than the tests do; finds stay in $(BUILD)/fuzz/KIND. The
# text fuzzers go on past FUZZ_SECONDS until each has tried FUZZ_RUNS inputs.
FUZZ_SECONDS ?= 300
FUZZ_RUNS ?= 1000000
fuzz: fuzz-build
	@for kind in bmp jpeg png picture_diff workbook pdf_image pack_pdf; do \
	    bash tests/fuzz/run_fuzzer.sh $(BUILD)/fuzz/$${kind}_fuzz tests/fuzz/corpus/$$kind \
	        $(BUILD)/fuzz/$$kind $(FUZZ_SECONDS) || exit 1; \
	done
	@for kind in csv settings report_writer text_paths annotation_sidecar evidence_manifest evidence_log script_call case_file ocr_file ocr_text pack_verify pdf_verify; do \
	    bash tests/fuzz/run_fuzzer.sh $(BUILD)/fuzz/$${kind}_fuzz tests/fuzz/corpus/$$kind \
	        $(BUILD)/fuzz/$$kind $(FUZZ_SECONDS) $(FUZZ_RUNS) || exit 1; \
	done

# Rewrites the committed seed corpus.
fuzz-seeds: fuzz-build
	$(BUILD)/fuzz/make_seeds tests/fuzz/corpus

# Zelcap against minimal Win32 programs doing the same work, side by side on
# a 1920 x 1080 virtual screen (docs/performance.md).
BENCH_ROUNDS ?= 3
BENCH_SOAK ?= 1000
bench: wine-build
	@bash tools/bench/bench.sh $(BUILD)/$(WINE_ARCH) $(BENCH_ROUNDS) $(BENCH_SOAK)

# The hot-key bursts alone, five of 20 keys a side into one process each, so
# that the history grows between them (docs/performance.md).
bench-bursts: wine-build
	@bash tools/bench/bench.sh $(BUILD)/$(WINE_ARCH) $(BENCH_ROUNDS) 0 bursts

# A 1000-record history opened with a full test case on every record against
# the same history without any, 21 pairs in one process (docs/performance.md).
bench-cases: wine-build
	@bash tools/bench/bench.sh $(BUILD)/$(WINE_ARCH) 21 0 cases
# The open command's figures alone, and the BMP hot key's pairs alone.
bench-open: wine-build
	@bash tools/bench/bench.sh $(BUILD)/$(WINE_ARCH) $(BENCH_ROUNDS) 0 open
bench-bmp: wine-build
	@bash tools/bench/bench.sh $(BUILD)/$(WINE_ARCH) $(BENCH_ROUNDS) 0 bmp

# The text reader's quality set (accuracy, recall of the planted personal
# data) and whole screens read, each way of reading after the other in one
# run (docs/performance.md). OCR_TUNINGS picks the ways (tools/bench/ocr_quality_win.cpp).
OCR_TUNINGS ?= default before jpn scale1
bench-ocr: wine-build
	cmake --build $(BUILD)/$(WINE_ARCH) -j$(JOBS) --target ocr_quality
	@bash tools/bench/ocr-quality.sh $(BUILD)/$(WINE_ARCH) --screens $(OCR_TUNINGS)

# Hot key -> picture shown with the text reading on against off, on one core.
bench-ocr-capture: wine-build
	cmake --build $(BUILD)/$(WINE_ARCH) -j$(JOBS) --target zelcap_bench
	@bash tools/bench/ocr-capture-bench.sh $(BUILD)/$(WINE_ARCH) 5 20

# What users download, from the shipped 32-bit build (tools/dist.sh).
dist: win32
	@bash tools/dist.sh $(BUILD)/win32 $(BUILD)/dist

# The evidence workbook of 1000 1920 x 1080 JPEGs against zip -0 of the same
# files (docs/performance.md).
bench-workbook: setup
	@bash tools/bench/workbook-bench.sh 1000

# The one-file HTML pack against the HTML report of the same 1000 captures,
# through Zelcap.exe under Wine, 3 rounds (docs/performance.md).
bench-pack-exe: wine-build
	@bash tools/bench/pack-exe-bench.sh $(BUILD)/$(WINE_ARCH) 1000 3

# The same export through Zelcap.exe under Wine, 3 rounds (docs/performance.md).
bench-workbook-exe: wine-build
	@bash tools/bench/workbook-exe-bench.sh $(BUILD)/$(WINE_ARCH) 1000 3

# The HTML report of 1000 records through the real Zelcap.exe against a
# floor that writes the same bytes and copies the same pictures.
bench-report-exe: wine-build
	@bash tools/bench/report-exe-bench.sh $(BUILD)/$(WINE_ARCH) 1000 5

# The BMP, JPEG and PNG capture writers on one 1920 x 1080 screen-like
# picture, and the PNG writer's other possible settings (docs/performance.md).
BENCH_CAPTURE_ROUNDS ?= 31
# Step recording: press to pixels and to file, against a bare grab; then
# quick clicks, alone and behind a program that hangs.
# It runs a benchmark build of its own, the only one with the timing log.
bench-steps: setup
	@cmake -S . -B $(BUILD)/$(WINE_ARCH)-bench -DCMAKE_BUILD_TYPE=Release -DZELCAP_BENCH_HOOKS=ON \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw$(subst win,,$(WINE_ARCH)).cmake >/dev/null
	cmake --build $(BUILD)/$(WINE_ARCH)-bench -j$(JOBS) --target Zelcap step_target
	@echo "== whole screen, 20 clicks 300 ms apart"
	@bash tools/bench/step-bench.sh $(BUILD)/$(WINE_ARCH)-bench 20 0.3 screen
	@echo "== the clicked window, 20 clicks 50 ms apart"
	@bash tools/bench/step-bench.sh $(BUILD)/$(WINE_ARCH)-bench 20 0.05 window
	@echo "== the same while another program hangs"
	@bash tools/bench/step-bench.sh $(BUILD)/$(WINE_ARCH)-bench 20 0.05 window hang

# The captures' SHA-256: the capture road with the digest and without, in
# the benchmark build (its switch), against each other.
bench-hash: setup
	@cmake -S . -B $(BUILD)/$(WINE_ARCH)-bench -DCMAKE_BUILD_TYPE=Release -DZELCAP_BENCH_HOOKS=ON \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw$(subst win,,$(WINE_ARCH)).cmake >/dev/null
	cmake --build $(BUILD)/$(WINE_ARCH)-bench -j$(JOBS) --target zelcap_bench
	@bash tools/bench/hash-bench.sh $(BUILD)/$(WINE_ARCH)-bench 9 15

# The annotation editor: a drag's repaint against a plain BitBlt.
bench-annotate: wine-build
	cmake --build $(BUILD)/$(WINE_ARCH) -j$(JOBS) --target annotate_bench
	@bash tools/bench/annotate-bench.sh $(BUILD)/$(WINE_ARCH) 3

# A scripted capture (Zelcap.exe /capture:screen) against the hot key, and
# the process start it costs (docs/performance.md).
bench-script: wine-build
	@bash tools/bench/script-bench.sh $(BUILD)/$(WINE_ARCH) 15

# The records' search per keystroke over 1000 records' read text.
bench-search: wine-build
	@bash tools/bench/search-bench.sh $(BUILD)/$(WINE_ARCH) 15

# A re-test's comparison of a 1920 x 1080 step with its baseline, the
# worker's whole job, against reading the two files (docs/performance.md).
bench-retest: wine-build
	@bash tools/bench/retest-bench.sh $(BUILD)/$(WINE_ARCH) 15

# The scrolling capture of a 20-screen page: the stitch alone and with the
# scroll and the screen reads, against their floors, and the peak memory.
bench-scroll: wine-build
	cmake --build $(BUILD)/$(WINE_ARCH) -j$(JOBS) --target scroll_bench
	@bash tools/bench/scroll-bench.sh $(BUILD)/$(WINE_ARCH) 5

bench-capture: setup
	@bash tools/bench/capture-formats-bench.sh $(BENCH_CAPTURE_ROUNDS)

# The comparison of two 1920 x 1080 pictures against a memcmp of the same
# blocks (docs/performance.md).
bench-compare: setup
	@bash tools/bench/compare-bench.sh $(BENCH_CAPTURE_ROUNDS)

clean:
	rm -rf $(BUILD)/native $(BUILD)/win32 $(BUILD)/win64 $(BUILD)/win32-bench $(BUILD)/win64-bench $(BUILD)/fuzz $(BUILD)/dist $(BUILD)/CTestTestfile.cmake
