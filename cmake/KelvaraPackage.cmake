# `cpack -G DEB` in the build folder makes kelvara_<version>_<arch>.deb from the install rules: the
# package holds whatever `cmake --install` installs, staged under /usr. Dependencies come from the
# binaries (dpkg-shlibdeps, from dpkg-dev), never typed by hand.
set(KELVARA_MAINTAINER "Brask <kelvara@brask.org>" CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvara)
set(CPACK_PACKAGE_VENDOR "${KELVARA_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${KELVARA_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${KELVARA_HOME_URL}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "unit, number-base and currency converter for the tray")
set(CPACK_PACKAGE_DESCRIPTION [=[
Kelvara is a small converter that waits in the notification area. It converts
weight, length, area, capacity, speed, pressure, power, energy, temperature,
time, data size and rate, fuel economy, angle, frequency, force, torque, density
and acceleration between US, UK, Japanese and metric units, numbers between binary, octal,
decimal, hexadecimal, base 36 and Roman numerals, and currencies with
euro-based exchange rates that you type or fetch.

It also keeps reference tables: film speed in DIN and ASA/ISO, the current
time in two time zones, and country dialling codes with emergency numbers.
Every result is placed on the clipboard.

The package also contains kelvara-cli, which converts with the same data
from the command line, for scripts.]=])

# Staged with DESTDIR and the prefix /usr, so that install steps that write the prefix into a file
# (the menu entry's Exec line) see /usr and not the staging folder.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
# One package with every component; the folder name cpack stages into does not matter.
set(CPACK_DEB_COMPONENT_INSTALL OFF)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Country names in the user's language come from iso-codes' catalogues, Qt's own texts from its
# translations; without them those texts stay English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "iso-codes, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KELVARA_HOME_URL}")

# Files only a Debian package carries (its copyright file and changelog) are added to the staged
# tree just before it is packed, so `cmake --install` never writes them.
string(TIMESTAMP KELVARA_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC) # honours SOURCE_DATE_EPOCH
string(TIMESTAMP KELVARA_PACKAGE_YEAR "%Y" UTC)
set(KELVARA_PACKAGE_DOC_DIR ${CMAKE_BINARY_DIR}/package/doc)
configure_file(${CMAKE_SOURCE_DIR}/resources/package/copyright.in ${KELVARA_PACKAGE_DOC_DIR}/copyright @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/package/changelog.in ${KELVARA_PACKAGE_DOC_DIR}/changelog @ONLY)
set(CPACK_KELVARA_DOC_DIR ${KELVARA_PACKAGE_DOC_DIR})
find_program(KELVARA_GZIP gzip REQUIRED)
set(CPACK_KELVARA_GZIP ${KELVARA_GZIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/KelvaraPackageDocs.cmake)

include(CPack)
