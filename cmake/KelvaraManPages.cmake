# The manual pages kelvara(1) and kelvara-cli(1): written in scdoc under resources/man, turned into
# roff at build time and installed gzip-compressed (man reads them so everywhere, and Debian wants
# them so). Included after KelvaraIdentity, so the version and home page are known.
option(KELVARA_BUILD_MANPAGES "Build and install the manual pages (needs scdoc)" ON)
set(KELVARA_MAN_PAGES "")
if(NOT KELVARA_BUILD_MANPAGES)
    return()
endif()

find_program(KELVARA_SCDOC scdoc)
find_program(KELVARA_GZIP gzip)
if(NOT KELVARA_SCDOC OR NOT KELVARA_GZIP)
    message(FATAL_ERROR "The manual pages need scdoc and gzip: run scripts/install-deps, "
                        "or configure with -DKELVARA_BUILD_MANPAGES=OFF")
endif()

# scdoc marks up '*', '_' and '\'; the home page is a cache value and may carry any of them.
string(REGEX REPLACE "([\\\\*_])" "\\\\\\1" KELVARA_HOME_URL_SCDOC "${KELVARA_HOME_URL}")

set(man_dir ${CMAKE_BINARY_DIR}/man)
set(outputs "")
foreach(page kelvara.1 kelvara-cli.1)
    configure_file(${CMAKE_SOURCE_DIR}/resources/man/${page}.scd ${man_dir}/${page}.scd @ONLY)
    add_custom_command(
        OUTPUT ${man_dir}/${page} ${man_dir}/${page}.gz
        COMMAND ${CMAKE_COMMAND} -DSCDOC=${KELVARA_SCDOC} -DGZIP=${KELVARA_GZIP} -DINPUT=${man_dir}/${page}.scd
                -DOUTPUT=${man_dir}/${page} -P ${CMAKE_SOURCE_DIR}/cmake/KelvaraScdoc.cmake
        DEPENDS ${man_dir}/${page}.scd ${CMAKE_SOURCE_DIR}/cmake/KelvaraScdoc.cmake
        COMMENT "Writing the manual page ${page}"
        VERBATIM)
    list(APPEND outputs ${man_dir}/${page}.gz)
    list(APPEND KELVARA_MAN_PAGES ${man_dir}/${page})
endforeach()
add_custom_target(manpages ALL DEPENDS ${outputs})
install(FILES ${outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
