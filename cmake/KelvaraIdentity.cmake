# Who the program says it is: version numbers, the version record compiled into the program, the
# desktop id, and the web addresses it links to. Everything here reaches code through files
# configured into ${KELVARA_GENERATED_DIR}, never the source tree.
include(GNUInstallDirs)

# Every install rule belongs to one component, so an install into a scratch prefix (the installed-tree
# test) can write its own manifest instead of overwriting the one a real install left behind.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME kelvara)

set(KELVARA_COMPANY_NAME "Brask")
set(KELVARA_PRODUCT_NAME "Kelvara")
# Reverse-DNS id: the .desktop and metainfo file names, the themed icon name and the desktop file
# name the program announces, so the window groups with its launcher.
set(KELVARA_DESKTOP_ID "org.brask.Kelvara")

set(KELVARA_LEGAL_NOTICE "Copyright © 2026 Brask" CACHE STRING
    "Legal notice shown on the About page and stored in the version record")
set(KELVARA_HOME_URL "https://www.brask.org/kelvara/" CACHE STRING
    "The project's home page (About page link); overridden by Options/HomePageUrl")
set(KELVARA_SERVICE_URL "https://rates.brask.org" CACHE STRING
    "Scheme and host of the currency-rate service; overridden by Options/ServiceUrl")
set(KELVARA_UPDATE_URL "https://www.brask.org" CACHE STRING
    "Scheme and host of the update service; overridden by Options/UpdateServiceUrl")
# Software centres show the screenshot from this address, so it must stay put: a raw file of the
# repository, not a page of the web site.
set(KELVARA_SCREENSHOT_URL "https://git.brask.org/kelvara/raw/branch/main/docs/kelvara.png" CACHE STRING
    "Address of docs/kelvara.png in the project's repository (AppStream screenshot)")
set(KELVARA_REFERENCE_RATES_URL "https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml" CACHE STRING
    "The European Central Bank's daily reference-rate document; overridden by Options/ReferenceRatesUrl")
set(KELVARA_WORLD_RATES_URL
    "https://cdn.jsdelivr.net/npm/@fawazahmed0/currency-api@latest/v1/currencies/eur.json" CACHE STRING
    "The daily world-rate document (exchange-api); Options/WorldRatesUrl replaces it and the fallback")
set(KELVARA_WORLD_RATES_FALLBACK_URL "https://latest.currency-api.pages.dev/v1/currencies/eur.json" CACHE STRING
    "Where the world-rate document is fetched when the first address fails or serves an old one")

# Four components, each stored in 16 bits of the version record.
foreach(part MAJOR MINOR PATCH TWEAK)
    set(value "${PROJECT_VERSION_${part}}")
    if(value STREQUAL "")
        set(value 0)
    endif()
    if(value GREATER 65535)
        message(FATAL_ERROR "Version component ${part} (${value}) does not fit in 16 bits")
    endif()
    set(KELVARA_VERSION_${part} ${value})
endforeach()
set(KELVARA_VERSION_FULL
    "${KELVARA_VERSION_MAJOR}.${KELVARA_VERSION_MINOR}.${KELVARA_VERSION_PATCH}.${KELVARA_VERSION_TWEAK}")
if(KELVARA_PRERELEASE)
    set(KELVARA_PRERELEASE_FLAG 1)
    set(KELVARA_FILE_FLAGS 0x2)
else()
    set(KELVARA_PRERELEASE_FLAG 0)
    set(KELVARA_FILE_FLAGS 0x0)
endif()

# Text pasted into C++ string literals: escape what a cache value may carry.
function(kelvara_c_string out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(REPLACE "\n" "\\n" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
kelvara_c_string(KELVARA_LEGAL_NOTICE_C "${KELVARA_LEGAL_NOTICE}")
kelvara_c_string(KELVARA_HOME_URL_C "${KELVARA_HOME_URL}")
kelvara_c_string(KELVARA_SERVICE_URL_C "${KELVARA_SERVICE_URL}")
kelvara_c_string(KELVARA_UPDATE_URL_C "${KELVARA_UPDATE_URL}")
kelvara_c_string(KELVARA_REFERENCE_RATES_URL_C "${KELVARA_REFERENCE_RATES_URL}")
kelvara_c_string(KELVARA_WORLD_RATES_URL_C "${KELVARA_WORLD_RATES_URL}")
kelvara_c_string(KELVARA_WORLD_RATES_FALLBACK_URL_C "${KELVARA_WORLD_RATES_FALLBACK_URL}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${KELVARA_GENERATED_DIR}/kelvara/version.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/addresses.h.in ${KELVARA_GENERATED_DIR}/kelvara/addresses.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/versionrecord.cpp.in ${KELVARA_GENERATED_DIR}/kelvara/versionrecord.cpp
               @ONLY)
set(KELVARA_VERSION_RECORD_SOURCE ${KELVARA_GENERATED_DIR}/kelvara/versionrecord.cpp)
