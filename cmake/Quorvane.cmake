# quorvane_add_test(<area>.<name> SOURCES ... [LIBS ...])
# Every test is one QtTest executable registered with CTest under its dotted name, so
# `ctest -R terminals` runs one folder. Tests never touch the real user's files: the
# environment points every per-user and system folder at a fresh temporary place.
function(quorvane_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    string(REPLACE "." "_" target "tst_${name}")
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE quorvane_test_support Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${target})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        TIMEOUT 300)
endfunction()
