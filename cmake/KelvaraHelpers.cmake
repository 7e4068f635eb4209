# kelvara_add_test_suite(NAME <name> SOURCES ... LIBS ... [GUI])
# One test executable per folder of tests/. Each test runs with its own HOME, XDG folders and TMPDIR
# (set up by the shared test main), so nothing touches the real user's files.
function(kelvara_add_test_suite)
    cmake_parse_arguments(ARG "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} kelvara_options GTest::gtest GTest::gmock)
    target_include_directories(${ARG_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    if(ARG_GUI)
        target_link_libraries(${ARG_NAME} PRIVATE kelvara_testmain_gui)
        set(env "QT_QPA_PLATFORM=offscreen")
    else()
        target_link_libraries(${ARG_NAME} PRIVATE kelvara_testmain)
        set(env "")
    endif()
    gtest_discover_tests(${ARG_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
