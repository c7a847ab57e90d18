# The MSVC branch for 32-bit Windows, built by clang-cl against Wine's headers and libraries.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(LOBECAST_MSVC_TARGET i686-pc-windows-msvc)
set(LOBECAST_WINE_PE_ARCH i386-windows)
# Wine's import libraries carry no SafeSEH tables.
set(LOBECAST_MSVC_LINK_FLAGS /safeseh:no)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-common.cmake)
