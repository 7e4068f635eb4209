# Runs inside cpack after staging and before packing: adds the package's copyright file and its
# compressed changelog under /usr/share/doc/kelvara, where Debian looks for them. The version has
# no Debian revision (the package is made by upstream), so the changelog is changelog.gz.
set(doc "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/kelvara")
file(MAKE_DIRECTORY "${doc}")
file(COPY "${CPACK_KELVARA_DOC_DIR}/copyright" DESTINATION "${doc}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND "${CPACK_KELVARA_GZIP}" -9 -n -c "${CPACK_KELVARA_DOC_DIR}/changelog"
                OUTPUT_FILE "${doc}/changelog.gz" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Could not compress the package changelog")
endif()
file(CHMOD "${doc}/changelog.gz" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
