# Windows configuration: Zelcap.exe and the Win32 tests, run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
add_compile_definitions(WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0600 STRICT NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)

# The 64-bit build exists for hosts that cannot run 32-bit code; the scripts
# that run Wine read wine-arch to pick the matching loader and prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZELCAP_WIN_ARCH win64)
else()
    set(ZELCAP_WIN_ARCH win32)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${ZELCAP_WIN_ARCH}\n")
# tools/dist.sh names the packages after this.
file(WRITE ${CMAKE_BINARY_DIR}/version "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}\n")

set(ZELCAP_JPEG_PREFIX ${PROJECT_SOURCE_DIR}/build/libjpeg-${ZELCAP_WIN_ARCH} CACHE PATH
    "libjpeg-turbo built for Windows by tools/setup.sh")
if(NOT EXISTS ${ZELCAP_JPEG_PREFIX}/lib/libjpeg.a)
    message(FATAL_ERROR "No Windows libjpeg in ${ZELCAP_JPEG_PREFIX}; run tools/setup.sh")
endif()

set(ZELCAP_XLSXWRITER_PREFIX ${PROJECT_SOURCE_DIR}/build/libxlsxwriter-${ZELCAP_WIN_ARCH} CACHE PATH
    "libxlsxwriter built for Windows by tools/setup.sh")
if(NOT EXISTS ${ZELCAP_XLSXWRITER_PREFIX}/lib/libxlsxwriter.a)
    message(FATAL_ERROR "No Windows libxlsxwriter in ${ZELCAP_XLSXWRITER_PREFIX}; run tools/setup.sh")
endif()

# libpng against the same libz.a as libxlsxwriter: one zlib in the program.
set(ZELCAP_PNG_PREFIX ${PROJECT_SOURCE_DIR}/build/libpng-${ZELCAP_WIN_ARCH} CACHE PATH
    "libpng built for Windows by tools/setup.sh")
if(NOT EXISTS ${ZELCAP_PNG_PREFIX}/lib/libpng.a)
    message(FATAL_ERROR "No Windows libpng in ${ZELCAP_PNG_PREFIX}; run tools/setup.sh")
endif()

# Tesseract and Leptonica, for reading the text of captures; the models are
# copied beside the program below.
set(ZELCAP_TESSERACT_PREFIX ${PROJECT_SOURCE_DIR}/build/tesseract-${ZELCAP_WIN_ARCH} CACHE PATH
    "Tesseract and Leptonica built for Windows by tools/setup.sh")
if(NOT EXISTS ${ZELCAP_TESSERACT_PREFIX}/lib/libtesseract.a)
    message(FATAL_ERROR "No Windows Tesseract in ${ZELCAP_TESSERACT_PREFIX}; run tools/setup.sh")
endif()
set(ZELCAP_TESSDATA_SOURCE /usr/share/tesseract-ocr/5/tessdata CACHE PATH
    "The folder of Debian's tesseract-ocr-jpn and tesseract-ocr-eng models")
foreach(model jpn eng)
    if(NOT EXISTS ${ZELCAP_TESSDATA_SOURCE}/${model}.traineddata)
        message(FATAL_ERROR "No ${model}.traineddata in ${ZELCAP_TESSDATA_SOURCE}; run tools/setup.sh")
    endif()
endforeach()

# harfbuzz's subsetter, for the font of the pack's PDF.
set(ZELCAP_HARFBUZZ_PREFIX ${PROJECT_SOURCE_DIR}/build/harfbuzz-${ZELCAP_WIN_ARCH} CACHE PATH
    "harfbuzz's subsetter built for Windows by tools/setup.sh")
if(NOT EXISTS ${ZELCAP_HARFBUZZ_PREFIX}/lib/libharfbuzz-subset.a)
    message(FATAL_ERROR "No Windows harfbuzz in ${ZELCAP_HARFBUZZ_PREFIX}; run tools/setup.sh")
endif()

# The font the pack's PDF embeds, beside Zelcap.exe as in the packages.
set(ZELCAP_PDF_FONT /usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf)
if(NOT EXISTS ${ZELCAP_PDF_FONT})
    message(FATAL_ERROR "No ${ZELCAP_PDF_FONT} (fonts-ipaexfont-gothic); run tools/setup.sh")
endif()
configure_file(${ZELCAP_PDF_FONT} ${CMAKE_BINARY_DIR}/ipaexg.ttf COPYONLY)

add_library(zelcap_core STATIC ${ZELCAP_CORE_SOURCES})
zelcap_target_flags(zelcap_core)
target_include_directories(zelcap_core PUBLIC ${ZELCAP_JPEG_PREFIX}/include
    ${ZELCAP_XLSXWRITER_PREFIX}/include ${ZELCAP_PNG_PREFIX}/include
    ${ZELCAP_HARFBUZZ_PREFIX}/include/harfbuzz)
target_link_libraries(zelcap_core PUBLIC ${ZELCAP_JPEG_PREFIX}/lib/libjpeg.a
    ${ZELCAP_XLSXWRITER_PREFIX}/lib/libxlsxwriter.a ${ZELCAP_PNG_PREFIX}/lib/libpng.a
    ${ZELCAP_HARFBUZZ_PREFIX}/lib/libharfbuzz-subset.a ${ZELCAP_XLSXWRITER_PREFIX}/lib/libz.a)

# Resources: bitmaps and icons drawn by the generator, then the .rc files.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZELCAP_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(ZELCAP_GENERATED_FILES
    ${ZELCAP_GENERATED}/app_large.ico ${ZELCAP_GENERATED}/app_small.ico
    ${ZELCAP_GENERATED}/toolbar.bmp
    ${ZELCAP_GENERATED}/markers.bmp
    ${ZELCAP_GENERATED}/marker_preview0.bmp ${ZELCAP_GENERATED}/marker_preview1.bmp
    ${ZELCAP_GENERATED}/marker_preview2.bmp ${ZELCAP_GENERATED}/marker_preview3.bmp
    ${ZELCAP_GENERATED}/report_layout0.bmp ${ZELCAP_GENERATED}/report_layout1.bmp
    ${ZELCAP_GENERATED}/report_layout2.bmp ${ZELCAP_GENERATED}/report_layout3.bmp
    ${ZELCAP_GENERATED}/report_layout4.bmp ${ZELCAP_GENERATED}/report_layout5.bmp)
add_custom_command(
    OUTPUT ${ZELCAP_GENERATED_FILES}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/generate_resources.py
            ${ZELCAP_GENERATED}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/generate_resources.py
    COMMENT "Drawing bitmaps and icons")
add_custom_target(zelcap_generated DEPENDS ${ZELCAP_GENERATED_FILES})
# The version header and the manifest carry the project's VERSION.
configure_file(${PROJECT_SOURCE_DIR}/resources/zelcap_version.h.in
    ${ZELCAP_GENERATED}/zelcap_version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/zelcap.manifest.in
    ${ZELCAP_GENERATED}/zelcap.manifest @ONLY)
file(GLOB ZELCAP_RC_PARTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.rc
    ${PROJECT_SOURCE_DIR}/resources/*.h)
set(ZELCAP_RC ${PROJECT_SOURCE_DIR}/resources/zelcap.rc)
set_source_files_properties(${ZELCAP_RC} PROPERTIES
    OBJECT_DEPENDS "${ZELCAP_RC_PARTS};${ZELCAP_GENERATED_FILES};${ZELCAP_GENERATED}/zelcap_version.h;${ZELCAP_GENERATED}/zelcap.manifest"
    COMPILE_FLAGS "-I${ZELCAP_GENERATED} -I${PROJECT_SOURCE_DIR}")
add_library(zelcap_resources OBJECT ${ZELCAP_RC})
add_dependencies(zelcap_resources zelcap_generated)

set(ZELCAP_WIN_LIBS advapi32 bcrypt comctl32 comdlg32 shell32 shlwapi oleacc imm32 ole32 oleaut32 uuid gdi32 user32 kernel32)

# The Win32 shell, less the entry point, so that tests can link it.
list(FILTER ZELCAP_WIN_SOURCES EXCLUDE REGEX "/app/winmain_win\\.cpp$")
add_library(zelcap_win STATIC ${ZELCAP_WIN_SOURCES})
zelcap_target_flags(zelcap_win)
target_link_libraries(zelcap_win PUBLIC zelcap_core ${ZELCAP_WIN_LIBS})
target_include_directories(zelcap_win PUBLIC ${ZELCAP_GENERATED})
# Tesseract's headers are not held to our warnings.
target_include_directories(zelcap_win SYSTEM PRIVATE ${ZELCAP_TESSERACT_PREFIX}/include)
target_link_libraries(zelcap_win PUBLIC ${ZELCAP_TESSERACT_PREFIX}/lib/libtesseract.a
    ${ZELCAP_TESSERACT_PREFIX}/lib/libleptonica.a ws2_32)

# The models beside the program, where the engine looks for them.
set(ZELCAP_TESSDATA ${CMAKE_BINARY_DIR}/tessdata)
add_custom_command(
    OUTPUT ${ZELCAP_TESSDATA}/jpn.traineddata ${ZELCAP_TESSDATA}/eng.traineddata
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELCAP_TESSDATA}
    COMMAND ${CMAKE_COMMAND} -E copy ${ZELCAP_TESSDATA_SOURCE}/jpn.traineddata
            ${ZELCAP_TESSDATA_SOURCE}/eng.traineddata ${ZELCAP_TESSDATA}
    DEPENDS ${ZELCAP_TESSDATA_SOURCE}/jpn.traineddata ${ZELCAP_TESSDATA_SOURCE}/eng.traineddata
    COMMENT "Copying the text-reading models")
add_custom_target(zelcap_tessdata ALL DEPENDS ${ZELCAP_TESSDATA}/jpn.traineddata
    ${ZELCAP_TESSDATA}/eng.traineddata)

add_executable(Zelcap WIN32 ${PROJECT_SOURCE_DIR}/app/winmain_win.cpp
    $<TARGET_OBJECTS:zelcap_resources>)
zelcap_target_flags(Zelcap)
target_link_libraries(Zelcap PRIVATE zelcap_win)
set_target_properties(Zelcap PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The help file, next to Zelcap.exe so that the help commands find it when
# Zelcap is started in the build folder.
file(GLOB ZELCAP_HELP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/help/*)
set(ZELCAP_HELP ${CMAKE_BINARY_DIR}/ZCP2Help.chm)
add_custom_command(
    OUTPUT ${ZELCAP_HELP}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/build_help.py
            ${PROJECT_SOURCE_DIR}/docs/help ${ZELCAP_HELP}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/build_help.py ${ZELCAP_HELP_SOURCES}
    COMMENT "Compiling ZCP2Help.chm")
add_custom_target(zelcap_help ALL DEPENDS ${ZELCAP_HELP})

include(cmake/win32-tests.cmake)

# The programs of `make bench` (docs/performance.md): Zelcap's side, run on
# the real main window, and the floors, minimal programs doing the same work.
add_library(zelcap_bench_support STATIC ${PROJECT_SOURCE_DIR}/tools/bench/bench_support_win.cpp)
zelcap_target_flags(zelcap_bench_support)
target_include_directories(zelcap_bench_support PUBLIC ${ZELCAP_JPEG_PREFIX}/include)
target_link_libraries(zelcap_bench_support PUBLIC ${ZELCAP_JPEG_PREFIX}/lib/libjpeg.a gdi32 user32)
add_executable(zelcap_bench ${PROJECT_SOURCE_DIR}/tools/bench/zelcap_bench_win.cpp
    $<TARGET_OBJECTS:zelcap_resources>)
zelcap_target_flags(zelcap_bench)
target_link_libraries(zelcap_bench PRIVATE zelcap_win zelcap_bench_support psapi)
add_executable(annotate_bench ${PROJECT_SOURCE_DIR}/tools/bench/annotate_bench_win.cpp
    $<TARGET_OBJECTS:zelcap_resources>)
zelcap_target_flags(annotate_bench)
target_link_libraries(annotate_bench PRIVATE zelcap_win zelcap_bench_support)
# A re-test's comparison of one step (`make bench-retest`): the worker's job.
add_executable(retest_bench ${PROJECT_SOURCE_DIR}/tools/bench/retest_bench_win.cpp
    $<TARGET_OBJECTS:zelcap_resources>)
zelcap_target_flags(retest_bench)
target_link_libraries(retest_bench PRIVATE zelcap_win zelcap_bench_support)
# The scrolling capture of a 20-screen page (`make bench-scroll`).
add_executable(scroll_bench ${PROJECT_SOURCE_DIR}/tools/bench/scroll_bench_win.cpp
    $<TARGET_OBJECTS:zelcap_resources>)
zelcap_target_flags(scroll_bench)
target_link_libraries(scroll_bench PRIVATE zelcap_win zelcap_bench_support psapi)
# The records' search per keystroke (`make bench-search`), platform-free.
add_executable(search_bench ${PROJECT_SOURCE_DIR}/tools/bench/search_bench.cpp)
zelcap_target_flags(search_bench)
target_link_libraries(search_bench PRIVATE zelcap_core)
foreach(floor floor_list floor_picture floor_capture floor_zip floor_report bench_scene)
    add_executable(${floor} ${PROJECT_SOURCE_DIR}/tools/bench/${floor}_win.cpp)
    zelcap_target_flags(${floor})
    target_link_libraries(${floor} PRIVATE zelcap_bench_support comctl32 comdlg32)
endforeach()
target_link_libraries(floor_report PRIVATE zelcap_core)
# The text reader's quality set and its timing (`make bench-ocr`).
add_executable(ocr_quality ${PROJECT_SOURCE_DIR}/tools/bench/ocr_quality_win.cpp
    ${PROJECT_SOURCE_DIR}/tools/bench/ocr_pages_win.cpp)
zelcap_target_flags(ocr_quality)
target_link_libraries(ocr_quality PRIVATE zelcap_win)
add_dependencies(ocr_quality zelcap_tessdata)
