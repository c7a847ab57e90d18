# The MSVC branch for 64-bit Windows, built by clang-cl against Wine's headers and libraries.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LOBECAST_MSVC_TARGET x86_64-pc-windows-msvc)
set(LOBECAST_WINE_PE_ARCH x86_64-windows)
set(LOBECAST_MSVC_LINK_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-common.cmake)
