# One interface target carries the language level and the warnings for every target of ours.
add_library(kelvara_options INTERFACE)
target_compile_features(kelvara_options INTERFACE cxx_std_20)
target_compile_options(kelvara_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
        -Woverloaded-virtual -Wimplicit-fallthrough>)
if(KELVARA_WERROR)
    target_compile_options(kelvara_options INTERFACE -Werror)
endif()
target_include_directories(kelvara_options INTERFACE ${CMAKE_BINARY_DIR}/generated)

# Relative relocations packed (DT_RELR): the loader applies a bitmap instead of a table of about
# two thousand entries at every start, and the table's pages are not mapped.
include(CheckLinkerFlag)
check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" KELVARA_HAVE_PACKED_RELOCS)
if(KELVARA_HAVE_PACKED_RELOCS)
    target_link_options(kelvara_options INTERFACE "-Wl,-z,pack-relative-relocs")
endif()
