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

# kelvara_layer(<target> <folder> [Qt] [Small])
# Makes <target> a layer over src/<folder>. A layer's include root shows its own folder only
# (<build>/include/<folder>/<folder> is a link to src/<folder>), so a file sees "<folder>/x.h" of
# its own layer and of the layers its target links, and an include that runs upward does not
# compile. Qt layers get moc and uic, with the dialog templates of resources/ui. Small layers are
# optimised for size in optimised builds: code that runs once per start or per click, whose pages
# are what it costs, not its speed (the conversion core stays optimised for speed).
function(kelvara_layer target folder)
    set(root ${CMAKE_BINARY_DIR}/include/${folder})
    if(NOT IS_SYMLINK ${root}/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
    target_link_libraries(${target} PUBLIC kelvara_options)
    if("Qt" IN_LIST ARGN)
        set_target_properties(${target} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON
            AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/resources/ui)
    endif()
    if("Small" IN_LIST ARGN)
        target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-Os>)
    endif()
endfunction()
