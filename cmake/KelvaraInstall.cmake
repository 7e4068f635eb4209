# What `cmake --install` puts into the prefix: the programs, the menu entry, the icons, the
# AppStream metainfo and kelvara-cli's shell completion. Included after the targets exist. `uninstall` removes what the last install
# recorded in install_manifest.txt.
set(KELVARA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(KELVARA_ICON_DIR ${CMAKE_SOURCE_DIR}/resources/icons)
# The menu entry's template with the catalogues' Name, GenericName, Comment and Keywords merged in
# (msgfmt --desktop); its @...@ fields are filled when installing.
set(KELVARA_DESKTOP_TEMPLATE ${CMAKE_BINARY_DIR}/desktop/kelvara.desktop.in)
file(GLOB _kelvara_po_files ${CMAKE_SOURCE_DIR}/po/*.po)
add_custom_command(
    OUTPUT ${KELVARA_DESKTOP_TEMPLATE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/desktop
    COMMAND ${KELVARA_MSGFMT} --desktop --template=${CMAKE_SOURCE_DIR}/resources/desktop/kelvara.desktop.in
            -d ${CMAKE_SOURCE_DIR}/po -o ${KELVARA_DESKTOP_TEMPLATE}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/desktop/kelvara.desktop.in ${_kelvara_po_files}
            ${CMAKE_SOURCE_DIR}/po/LINGUAS
    COMMENT "Translating the menu entry"
    VERBATIM)

set(KELVARA_INSTALLED_PROGRAMS "")
foreach(program kelvara kelvara-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        list(APPEND KELVARA_INSTALLED_PROGRAMS ${program})
    endif()
endforeach()
# The settings module kelvara-cli loads on demand, in a private folder of the library directory.
if(TARGET kelvara-cli AND TARGET kelvara_settings_module)
    install(TARGETS kelvara_settings_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kelvara)
endif()

# The menu entry names the program by its absolute path, which is known only when installing
# (`cmake --install --prefix` may differ from the configured prefix), so it is written then.
install(CODE "
    set(KELVARA_DESKTOP_ID \"${KELVARA_DESKTOP_ID}\")
    set(KELVARA_DESKTOP_TEMPLATE \"${KELVARA_DESKTOP_TEMPLATE}\")
    set(KELVARA_DESKTOP_STAGING \"${CMAKE_BINARY_DIR}/install-staging\")
    set(KELVARA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(KELVARA_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    include(\"${CMAKE_SOURCE_DIR}/cmake/KelvaraInstallDesktop.cmake\")
")

string(TIMESTAMP KELVARA_RELEASE_DATE "%Y-%m-%d" UTC) # honours SOURCE_DATE_EPOCH
if(KELVARA_PRERELEASE)
    set(KELVARA_RELEASE_TYPE development)
else()
    set(KELVARA_RELEASE_TYPE stable)
endif()
string(REPLACE "&" "&amp;" KELVARA_HOME_URL_XML "${KELVARA_HOME_URL}")
string(REPLACE "&" "&amp;" KELVARA_SCREENSHOT_URL_XML "${KELVARA_SCREENSHOT_URL}")
# The metainfo with the catalogues' translations merged in (msgfmt --xml, by AppStream's own rules
# of what is translatable).
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/kelvara.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/english/${KELVARA_DESKTOP_ID}.metainfo.xml @ONLY)
set(_kelvara_metainfo ${CMAKE_BINARY_DIR}/desktop/${KELVARA_DESKTOP_ID}.metainfo.xml)
add_custom_command(
    OUTPUT ${_kelvara_metainfo}
    COMMAND ${KELVARA_MSGFMT} --xml
            --template=${CMAKE_BINARY_DIR}/desktop/english/${KELVARA_DESKTOP_ID}.metainfo.xml
            -d ${CMAKE_SOURCE_DIR}/po -o ${_kelvara_metainfo}
    DEPENDS ${CMAKE_BINARY_DIR}/desktop/english/${KELVARA_DESKTOP_ID}.metainfo.xml ${_kelvara_po_files}
            ${CMAKE_SOURCE_DIR}/po/LINGUAS
    COMMENT "Translating the AppStream metainfo"
    VERBATIM)
add_custom_target(kelvara_desktop_files ALL DEPENDS ${KELVARA_DESKTOP_TEMPLATE} ${_kelvara_metainfo})
install(FILES ${_kelvara_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size ${KELVARA_ICON_SIZES})
    install(FILES ${KELVARA_ICON_DIR}/kelvara-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${KELVARA_DESKTOP_ID}.png)
endforeach()
install(FILES ${KELVARA_ICON_DIR}/kelvara.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${KELVARA_DESKTOP_ID}.svg)

# Shell completion for kelvara-cli, where bash-completion, zsh (Debian's vendor folder) and fish
# look for it.
if(TARGET kelvara-cli)
    set(KELVARA_COMPLETION_DIR ${CMAKE_SOURCE_DIR}/resources/completion)
    install(FILES ${KELVARA_COMPLETION_DIR}/kelvara-cli.bash
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelvara-cli)
    install(FILES ${KELVARA_COMPLETION_DIR}/_kelvara-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
    install(FILES ${KELVARA_COMPLETION_DIR}/kelvara-cli.fish
            DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endif()

if(NOT TARGET uninstall)
    add_custom_target(uninstall
        COMMAND ${CMAKE_COMMAND} -DKELVARA_MANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
                -P ${CMAKE_SOURCE_DIR}/cmake/KelvaraUninstall.cmake
        COMMENT "Removing the files of the last install"
        VERBATIM)
endif()
