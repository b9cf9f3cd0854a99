# Fuzzing configuration (ZELCAP_FUZZ=ON, clang): libFuzzer targets for the
# image loaders and for every text parser and writer, under AddressSanitizer
# and UndefinedBehaviorSanitizer. The native tests belong to the native build.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZELCAP_FUZZ needs clang for libFuzzer (-DCMAKE_CXX_COMPILER=clang++)")
endif()

set(ZELCAP_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
add_compile_options(${ZELCAP_SANITIZE} -fsanitize=fuzzer-no-link)
add_link_options(${ZELCAP_SANITIZE})

# libjpeg built with the same instrumentation as our code, so that the fuzzer
# sees which paths of the decoder an input takes and ASan watches libjpeg's
# side of the row buffers too: the libjpeg-turbo source that the Windows
# build is made from (tools/setup.sh unpacks it). Without that source the
# system library is used, and the JPEG fuzzer works blind inside libjpeg.
# UBSan stays off there: it is not our code to fix.
# The folder of the first unpacked source that has HEADER, or "".
function(zelcap_unpacked_source pattern header out)
    file(GLOB found ${PROJECT_SOURCE_DIR}/build/${pattern}/${header})
    if(found)
        list(GET found 0 found)
        get_filename_component(found ${found} DIRECTORY)
    endif()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()

zelcap_unpacked_source("libjpeg-src*/libjpeg-turbo-*" jpeglib.h found)
set(ZELCAP_JPEG_SOURCE "${found}" CACHE PATH "libjpeg-turbo source to instrument")
if(ZELCAP_JPEG_SOURCE)
    include(ExternalProject)
    set(jpeg_build ${CMAKE_BINARY_DIR}/libjpeg)
    ExternalProject_Add(libjpeg_instrumented
        SOURCE_DIR ${ZELCAP_JPEG_SOURCE}
        BINARY_DIR ${jpeg_build}
        CMAKE_ARGS -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_BUILD_TYPE=RelWithDebInfo
            "-DCMAKE_C_FLAGS=-fsanitize=address,fuzzer-no-link -fno-omit-frame-pointer"
            -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF
            -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${jpeg_build} --target jpeg-static
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${jpeg_build}/libjpeg.a)
    file(MAKE_DIRECTORY ${jpeg_build})
    set(JPEG_INCLUDE ${ZELCAP_JPEG_SOURCE} ${jpeg_build})  # jconfig.h is generated
    set(JPEG_LIBRARY ${jpeg_build}/libjpeg.a)
else()
    message(WARNING "No libjpeg-turbo source in build/libjpeg-src-*: fuzzing the system libjpeg")
    find_path(JPEG_INCLUDE jpeglib.h REQUIRED)
    find_library(JPEG_LIBRARY NAMES jpeg REQUIRED)
endif()

# libpng the same way, from the source the Windows build is made from, over
# the system zlib.
zelcap_unpacked_source("libpng-src*/libpng1.6-*" png.h found)
set(ZELCAP_PNG_SOURCE "${found}" CACHE PATH "libpng source to instrument")
if(ZELCAP_PNG_SOURCE)
    include(ExternalProject)
    set(png_build ${CMAKE_BINARY_DIR}/libpng)
    ExternalProject_Add(libpng_instrumented
        SOURCE_DIR ${ZELCAP_PNG_SOURCE}
        BINARY_DIR ${png_build}
        CMAKE_ARGS -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_BUILD_TYPE=RelWithDebInfo
            "-DCMAKE_C_FLAGS=-fsanitize=address,fuzzer-no-link -fno-omit-frame-pointer"
            -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${png_build} --target png_static
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${png_build}/libpng16.a)
    file(MAKE_DIRECTORY ${png_build})
    set(PNG_INCLUDE ${ZELCAP_PNG_SOURCE} ${png_build})  # pnglibconf.h is generated
    set(PNG_LIBRARY ${png_build}/libpng16.a)
else()
    message(WARNING "No libpng source in build/libpng-src-*: fuzzing the system libpng")
    find_path(PNG_INCLUDE png.h REQUIRED)
    find_library(PNG_LIBRARY NAMES png16 png REQUIRED)
endif()
find_library(ZLIB_LIBRARY NAMES z REQUIRED)
# The pack's PDF subsets its font with Debian's harfbuzz.
find_path(HARFBUZZ_INCLUDE hb-subset.h PATH_SUFFIXES harfbuzz REQUIRED)
find_library(HARFBUZZ_SUBSET_LIBRARY NAMES harfbuzz-subset REQUIRED)
find_library(HARFBUZZ_LIBRARY NAMES harfbuzz REQUIRED)

# Clang knows no execution character set but UTF-8, while the core's texts
# must be CP932 bytes (static_asserts check their lengths). So the fuzzers
# build copies of the platform-free sources and headers whose non-ASCII
# literals are written as CP932 escapes; their folder comes first on the
# include path, so that the copied headers are the ones seen.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZELCAP_CP932_DIR ${CMAKE_BINARY_DIR}/cp932)
set(platform_free_headers)
foreach(dir ${ZELCAP_SUBSYSTEMS})
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h)
    list(FILTER found EXCLUDE REGEX "_win\\.h$")
    list(APPEND platform_free_headers ${found})
endforeach()
set(cp932_copies)
foreach(original ${ZELCAP_CORE_SOURCES} ${platform_free_headers})
    file(RELATIVE_PATH file ${PROJECT_SOURCE_DIR} ${original})
    set(copy ${ZELCAP_CP932_DIR}/${file})
    add_custom_command(OUTPUT ${copy}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/cp932_literals.py
            ${PROJECT_SOURCE_DIR} ${ZELCAP_CP932_DIR} ${file}
        DEPENDS ${original} ${PROJECT_SOURCE_DIR}/tools/cp932_literals.py
        VERBATIM)
    list(APPEND cp932_copies ${copy})
endforeach()
set(cp932_headers ${cp932_copies})
list(FILTER cp932_headers INCLUDE REGEX "\\.h$")
set(cp932_sources ${cp932_copies})
list(FILTER cp932_sources EXCLUDE REGEX "\\.h$")
add_custom_target(zelcap_cp932_headers DEPENDS ${cp932_headers})

add_library(zelcap_fuzz_core STATIC ${cp932_sources})
add_dependencies(zelcap_fuzz_core zelcap_cp932_headers)
target_compile_options(zelcap_fuzz_core PRIVATE ${ZELCAP_WARNINGS})
target_include_directories(zelcap_fuzz_core PUBLIC ${ZELCAP_CP932_DIR} ${PROJECT_SOURCE_DIR}
    ${JPEG_INCLUDE} ${PNG_INCLUDE} ${HARFBUZZ_INCLUDE})
target_link_libraries(zelcap_fuzz_core PUBLIC ${JPEG_LIBRARY} ${PNG_LIBRARY} ${HARFBUZZ_SUBSET_LIBRARY}
    ${HARFBUZZ_LIBRARY} ${ZLIB_LIBRARY})
if(TARGET libjpeg_instrumented)
    add_dependencies(zelcap_fuzz_core libjpeg_instrumented)
endif()
if(TARGET libpng_instrumented)
    add_dependencies(zelcap_fuzz_core libpng_instrumented)
endif()

set(ZELCAP_FUZZ_DIR ${PROJECT_SOURCE_DIR}/tests/fuzz)
set(ZELCAP_FUZZ_SECONDS 15 CACHE STRING "How long each fuzzer runs as a test")

# The kinds, each a target tests/fuzz/KIND_fuzz.cpp with its seeds in
# tests/fuzz/corpus/KIND; the Makefile's `fuzz` lists the same.
set(ZELCAP_FUZZERS bmp jpeg png picture_diff csv settings report_writer text_paths annotation_sidecar evidence_manifest evidence_log script_call case_file ocr_file ocr_text pack_verify pdf_image pack_pdf pdf_verify)
foreach(kind ${ZELCAP_FUZZERS})
    add_executable(${kind}_fuzz ${ZELCAP_FUZZ_DIR}/${kind}_fuzz.cpp)
    target_compile_options(${kind}_fuzz PRIVATE ${ZELCAP_WARNINGS})
    target_link_options(${kind}_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${kind}_fuzz PRIVATE zelcap_fuzz_core)
    add_dependencies(${kind}_fuzz zelcap_cp932_headers)
    # New finds go to the build folder; the committed seeds stay as they are.
    add_test(NAME fuzz.${kind}
        COMMAND bash ${ZELCAP_FUZZ_DIR}/run_fuzzer.sh $<TARGET_FILE:${kind}_fuzz>
                ${ZELCAP_FUZZ_DIR}/corpus/${kind} ${CMAKE_BINARY_DIR}/${kind}
                ${ZELCAP_FUZZ_SECONDS})
    math(EXPR limit "${ZELCAP_FUZZ_SECONDS} + 60")
    set_tests_properties(fuzz.${kind} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
endforeach()

# The log fuzzer chains its lines with OpenSSL's SHA-256, as the native tests
# do (the program uses Windows' CNG).
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
target_link_libraries(evidence_log_fuzz PRIVATE OpenSSL::Crypto)
target_link_libraries(pack_verify_fuzz PRIVATE OpenSSL::Crypto)
target_link_libraries(pdf_verify_fuzz PRIVATE OpenSSL::Crypto)

# The workbook's text, name and picture rules; the writer itself needs
# libxlsxwriter and is exercised by the native tests.
add_library(zelcap_workbook_core STATIC
    ${PROJECT_SOURCE_DIR}/report/workbook_text.cpp
    ${PROJECT_SOURCE_DIR}/base/text_encoding.cpp
    ${PROJECT_SOURCE_DIR}/report/workbook_names.cpp
    ${PROJECT_SOURCE_DIR}/report/picture_probe.cpp)
target_compile_options(zelcap_workbook_core PRIVATE ${ZELCAP_WARNINGS})
target_include_directories(zelcap_workbook_core PUBLIC ${PROJECT_SOURCE_DIR})
add_executable(workbook_fuzz ${ZELCAP_FUZZ_DIR}/workbook_fuzz.cpp)
target_compile_options(workbook_fuzz PRIVATE ${ZELCAP_WARNINGS})
target_link_options(workbook_fuzz PRIVATE -fsanitize=fuzzer)
target_link_libraries(workbook_fuzz PRIVATE zelcap_workbook_core)
add_test(NAME fuzz.workbook
    COMMAND bash ${ZELCAP_FUZZ_DIR}/run_fuzzer.sh $<TARGET_FILE:workbook_fuzz>
            ${ZELCAP_FUZZ_DIR}/corpus/workbook ${CMAKE_BINARY_DIR}/workbook
            ${ZELCAP_FUZZ_SECONDS})
math(EXPR limit "${ZELCAP_FUZZ_SECONDS} + 60")
set_tests_properties(fuzz.workbook PROPERTIES TIMEOUT ${limit} LABELS fuzz)

# Writes the seed corpus into tests/fuzz/corpus (`make fuzz-seeds`).
add_executable(make_seeds ${ZELCAP_FUZZ_DIR}/make_seeds.cpp)
target_compile_options(make_seeds PRIVATE ${ZELCAP_WARNINGS})
target_link_libraries(make_seeds PRIVATE zelcap_fuzz_core)
add_dependencies(make_seeds zelcap_cp932_headers)
