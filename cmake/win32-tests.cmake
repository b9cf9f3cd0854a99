# Win32 tests: GoogleTest built with the same cross compiler, one program per
# tests/win32/*_test_win.cpp, each run under Wine on the test display. A CTest
# fixture starts the display and a persistent wineserver once for the run.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB ZELCAP_WIN_TEST_SUPPORT CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/tests/win32/support/*.cpp)
add_library(zelcap_win_test_support STATIC ${ZELCAP_WIN_TEST_SUPPORT})
zelcap_target_flags(zelcap_win_test_support)
target_link_libraries(zelcap_win_test_support PUBLIC zelcap_win gtest)

set(ZELCAP_SESSION ${PROJECT_SOURCE_DIR}/tools/wine-session.sh)
add_test(NAME win32.session.start COMMAND ${ZELCAP_SESSION} start ${CMAKE_BINARY_DIR})
add_test(NAME win32.session.stop COMMAND ${ZELCAP_SESSION} stop ${CMAKE_BINARY_DIR})
set_tests_properties(win32.session.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(win32.session.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

file(GLOB ZELCAP_WIN_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win32/*_test_win.cpp)
foreach(src ${ZELCAP_WIN_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} $<TARGET_OBJECTS:zelcap_resources>)
    zelcap_target_flags(${name})
    target_link_libraries(${name} PRIVATE zelcap_win_test_support)
    add_test(NAME win32.${name} COMMAND ${name})
    # "// ctest-file-size-limit-kb: N" in a test source runs it under that
    # file-size limit (see tools/wine-run.sh).
    file(STRINGS ${src} limit REGEX "^// ctest-file-size-limit-kb: [0-9]+$")
    set(env "ZELCAP_BUILD=${CMAKE_BINARY_DIR}")
    if(limit)
        string(REGEX REPLACE ".*: " "" limit "${limit}")
        list(APPEND env "ZELCAP_FILE_SIZE_LIMIT_KB=${limit}")
    endif()
    set_tests_properties(win32.${name} PROPERTIES FIXTURES_REQUIRED wine
        RESOURCE_LOCK display TIMEOUT 300 LABELS win32 ENVIRONMENT "${env}")
endforeach()

# End-to-end runs of the real Zelcap.exe.
file(GLOB ZELCAP_E2E_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/*_e2e.sh)
foreach(script ${ZELCAP_E2E_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e.${name} COMMAND bash ${script} ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e.${name} PROPERTIES FIXTURES_REQUIRED wine
        RESOURCE_LOCK display TIMEOUT 300 LABELS e2e)
endforeach()

# The stand-in application of the tests of opening records, built next to
# the test programs, where the test looks for it.
add_executable(record_args ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/record_args_win.cpp)
zelcap_target_flags(record_args)
add_dependencies(open_records_test_win record_args)

# The shipped-resources test reads Zelcap.exe's version resource.
target_link_libraries(shipped_resources_test_win PRIVATE version)
add_dependencies(shipped_resources_test_win Zelcap)

# The help file as HTML Help reads it; needs no Wine.
add_test(NAME help.chm COMMAND ${Python3_EXECUTABLE}
    ${PROJECT_SOURCE_DIR}/tests/help/check_help.py ${ZELCAP_HELP} ${PROJECT_SOURCE_DIR}/resources)
set_tests_properties(help.chm PROPERTIES TIMEOUT 60 LABELS help)

# The other program of the hot-key conflict run.
add_executable(hotkey_holder ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/hotkey_holder_win.cpp)
zelcap_target_flags(hotkey_holder)
add_dependencies(Zelcap hotkey_holder)

# The program clicked in the step recording run.
add_executable(step_target ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/step_target_win.cpp)
zelcap_target_flags(step_target)
add_dependencies(Zelcap step_target)

# The program typed into by the keyboard's step tests.
add_executable(key_target WIN32 ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/key_target_win.cpp
    ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/protected_field_win.cpp)
zelcap_target_flags(key_target)
target_link_libraries(key_target PRIVATE oleacc ole32 oleaut32)
add_dependencies(key_steps_test_win key_target)
add_dependencies(Zelcap key_target)

# The page of the scrolling capture run.
add_executable(scroll_target WIN32 ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/scroll_target_win.cpp)
zelcap_target_flags(scroll_target)
add_dependencies(Zelcap scroll_target)

# The window captured twice in the comparison run.
add_executable(compare_target ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/compare_target_win.cpp)
zelcap_target_flags(compare_target)
add_dependencies(Zelcap compare_target)

# The screens of the re-test run, each with its amount.
add_executable(amount_target ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/amount_target_win.cpp)
zelcap_target_flags(amount_target)
add_dependencies(Zelcap amount_target)

# The windows of the multi-monitor run, one colour each.
add_executable(monitor_target ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/monitor_target_win.cpp)
zelcap_target_flags(monitor_target)
add_dependencies(Zelcap monitor_target)

# What the keyboard runs read of the running program from outside.
add_executable(focus_probe ${PROJECT_SOURCE_DIR}/tests/win32/fixtures/focus_probe_win.cpp)
zelcap_target_flags(focus_probe)
add_dependencies(Zelcap focus_probe)

# The text reader's test measures its memory and reads the models beside it.
target_link_libraries(ocr_engine_test_win PRIVATE psapi)
add_dependencies(ocr_engine_test_win zelcap_tessdata)

# The pack's PDF written by the 32-bit build under Wine, read back with the
# same checks as the native build's (tests/pack/pdf_check.sh).
add_executable(pack_pdf_sample ${PROJECT_SOURCE_DIR}/tests/pack/pdf_sample.cpp)
zelcap_target_flags(pack_pdf_sample)
target_link_libraries(pack_pdf_sample PRIVATE zelcap_core psapi)
foreach(check sample long unreadable full)
    add_test(NAME win32.pack_pdf_${check}
        COMMAND bash ${PROJECT_SOURCE_DIR}/tests/pack/pdf_check.sh
                $<TARGET_FILE:pack_pdf_sample> ${CMAKE_BINARY_DIR}/pack-pdf-${check} ${check}
                ${PROJECT_SOURCE_DIR}/tools/wine-run.sh)
    set_tests_properties(win32.pack_pdf_${check} PROPERTIES FIXTURES_REQUIRED wine
        RESOURCE_LOCK display TIMEOUT 300 LABELS win32 ENVIRONMENT "ZELCAP_BUILD=${CMAKE_BINARY_DIR}")
endforeach()

# The text reading on the main window reads the models beside it.
add_dependencies(ocr_road_test_win zelcap_tessdata)

# The quality test draws pages of the text reader's quality set; the engine
# test times its screen with the set's clock.
foreach(test ocr_quality_test_win ocr_engine_test_win)
    target_sources(${test} PRIVATE ${PROJECT_SOURCE_DIR}/tools/bench/ocr_pages_win.cpp)
endforeach()
add_dependencies(ocr_quality_test_win zelcap_tessdata)
