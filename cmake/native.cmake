# Native configuration: the platform-free core and its GoogleTest tests, under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set(ZELCAP_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
add_compile_options(${ZELCAP_SANITIZE})
add_link_options(${ZELCAP_SANITIZE})

find_path(JPEG_INCLUDE jpeglib.h REQUIRED)
find_library(JPEG_LIBRARY NAMES jpeg REQUIRED)
# The workbook writer uses Debian's libxlsxwriter natively.
find_path(XLSXWRITER_INCLUDE xlsxwriter.h REQUIRED)
find_library(XLSXWRITER_LIBRARY NAMES xlsxwriter REQUIRED)
# PNG pictures through Debian's libpng.
find_path(PNG_INCLUDE png.h REQUIRED)
find_library(PNG_LIBRARY NAMES png16 png REQUIRED)
# The pack's PDF: Debian's harfbuzz subsetter for its font, zlib for its streams.
find_path(HARFBUZZ_INCLUDE hb-subset.h PATH_SUFFIXES harfbuzz REQUIRED)
find_library(HARFBUZZ_SUBSET_LIBRARY NAMES harfbuzz-subset REQUIRED)
find_library(HARFBUZZ_LIBRARY NAMES harfbuzz REQUIRED)
find_library(ZLIB_LIBRARY NAMES z REQUIRED)

add_library(zelcap_core STATIC ${ZELCAP_CORE_SOURCES} ${ZELCAP_POSIX_SOURCES})
zelcap_target_flags(zelcap_core)
target_include_directories(zelcap_core PUBLIC ${JPEG_INCLUDE} ${XLSXWRITER_INCLUDE} ${PNG_INCLUDE}
    ${HARFBUZZ_INCLUDE})
target_link_libraries(zelcap_core PUBLIC ${JPEG_LIBRARY} ${XLSXWRITER_LIBRARY} ${PNG_LIBRARY}
    ${HARFBUZZ_SUBSET_LIBRARY} ${HARFBUZZ_LIBRARY} ${ZLIB_LIBRARY})

# The tests' reference SHA-256 (the program itself uses Windows' CNG).
find_package(OpenSSL REQUIRED COMPONENTS Crypto)

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB ZELCAP_NATIVE_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${ZELCAP_NATIVE_TESTS})
zelcap_target_flags(native_tests)
# zlib: the tests that compare a workbook's parts inflate them.
target_link_libraries(native_tests PRIVATE zelcap_core OpenSSL::Crypto ${ZLIB_LIBRARY} GTest::gtest
    GTest::gtest_main)
gtest_discover_tests(native_tests TEST_PREFIX "native." DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120 LABELS native)

# A workbook of made-up records, read back with openpyxl: what a user sees
# of the platform-free writer, without Wine.
add_executable(workbook_sample ${PROJECT_SOURCE_DIR}/tests/workbook/workbook_sample.cpp)
zelcap_target_flags(workbook_sample)
target_link_libraries(workbook_sample PRIVATE zelcap_core)
foreach(layout sheets onesheet)
    add_test(NAME native.workbook_openpyxl_${layout}
        COMMAND bash ${PROJECT_SOURCE_DIR}/tests/workbook/sample_check.sh
                $<TARGET_FILE:workbook_sample> ${CMAKE_BINARY_DIR}/workbook-${layout} ${layout})
    set_tests_properties(native.workbook_openpyxl_${layout} PROPERTIES TIMEOUT 120 LABELS native)
    # The same records with test cases: the test-result sheet; and those
    # cases re-tested against a baseline: the 比較 column and the diff sheets.
    foreach(kind cases retest)
        add_test(NAME native.workbook_openpyxl_${kind}_${layout}
            COMMAND bash ${PROJECT_SOURCE_DIR}/tests/workbook/sample_check.sh
                    $<TARGET_FILE:workbook_sample> ${CMAKE_BINARY_DIR}/workbook-${kind}-${layout}
                    ${layout} ${kind})
        set_tests_properties(native.workbook_openpyxl_${kind}_${layout} PROPERTIES TIMEOUT 120
            LABELS native)
    endforeach()
endforeach()

# A report re-tested against a baseline, opened in headless Chromium.
add_executable(retest_report_sample ${PROJECT_SOURCE_DIR}/tests/report/retest_sample.cpp)
zelcap_target_flags(retest_report_sample)
target_link_libraries(retest_report_sample PRIVATE zelcap_core)
add_test(NAME native.report_chromium_retest
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/report/retest_check.sh
            $<TARGET_FILE:retest_report_sample> ${CMAKE_BINARY_DIR}/report-retest)
set_tests_properties(native.report_chromium_retest PROPERTIES TIMEOUT 120 LABELS native)

# The pack's PDF from made-up records, read back with poppler and qpdf.
add_executable(pack_pdf_sample ${PROJECT_SOURCE_DIR}/tests/pack/pdf_sample.cpp)
zelcap_target_flags(pack_pdf_sample)
target_link_libraries(pack_pdf_sample PRIVATE zelcap_core)
foreach(check sample long unreadable full)
    add_test(NAME native.pack_pdf_${check}
        COMMAND bash ${PROJECT_SOURCE_DIR}/tests/pack/pdf_check.sh
                $<TARGET_FILE:pack_pdf_sample> ${CMAKE_BINARY_DIR}/pack-pdf-${check} ${check})
    set_tests_properties(native.pack_pdf_${check} PROPERTIES TIMEOUT 120 LABELS native)
endforeach()
