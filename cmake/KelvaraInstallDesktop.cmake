# Runs at install time (from cmake_install.cmake, where CMAKE_INSTALL_PREFIX is the prefix actually
# installed into): writes the menu entry with the program's absolute path and installs it.
if(IS_ABSOLUTE "${KELVARA_BINDIR}")
    set(program "${KELVARA_BINDIR}/kelvara")
else()
    set(program "${CMAKE_INSTALL_PREFIX}/${KELVARA_BINDIR}/kelvara")
endif()

# Exec quoting of desktop entries (freedesktop.org): inside double quotes, '"', '`', '$' and '\'
# take a backslash; then, the value being a string, every backslash is doubled; '%' is a field
# code unless doubled.
set(exec "${program}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(KELVARA_DESKTOP_EXEC "\"${exec}\"")

# One staging file per prefix, so installs into different prefixes do not trip over each other.
string(MD5 prefix_hash "${CMAKE_INSTALL_PREFIX}")
set(staged "${KELVARA_DESKTOP_STAGING}/${prefix_hash}/${KELVARA_DESKTOP_ID}.desktop")
configure_file("${KELVARA_DESKTOP_TEMPLATE}" "${staged}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${KELVARA_DATADIR}/applications" TYPE FILE FILES "${staged}")
