# Shared part of the clang-cl toolchain files: the project's MSVC branch built on Linux by clang
# in cl mode, lld-link, llvm-rc and llvm-mt, with Wine's headers and import libraries
# (libwine-dev) in place of the Windows SDK. LOBECAST_MSVC_TARGET names the target triple and
# LOBECAST_WINE_PE_ARCH Wine's folder of PE import libraries (i386-windows or x86_64-windows).
set(CMAKE_SYSTEM_NAME Windows)

# clang picks cl mode from its program's name, so a clang-cl link to clang is enough.
find_program(LOBECAST_CLANG NAMES clang-cl clang REQUIRED)
get_filename_component(LOBECAST_CLANG_NAME "${LOBECAST_CLANG}" NAME)
if(LOBECAST_CLANG_NAME STREQUAL "clang-cl")
  set(LOBECAST_CLANG_CL "${LOBECAST_CLANG}")
else()
  set(LOBECAST_CLANG_CL "${CMAKE_BINARY_DIR}/msvc-sdk/bin/clang-cl")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/msvc-sdk/bin")
  file(CREATE_LINK "${LOBECAST_CLANG}" "${LOBECAST_CLANG_CL}" SYMBOLIC)
endif()
set(CMAKE_C_COMPILER "${LOBECAST_CLANG_CL}")
set(CMAKE_CXX_COMPILER "${LOBECAST_CLANG_CL}")
set(CMAKE_C_COMPILER_TARGET ${LOBECAST_MSVC_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${LOBECAST_MSVC_TARGET})
set(CMAKE_RC_COMPILER llvm-rc)
set(CMAKE_LINKER lld-link)
set(CMAKE_AR llvm-lib)
set(CMAKE_MT llvm-mt)

# The SDK: Wine's C runtime and Windows headers, the runtime's first as in an MSVC install.
set(LOBECAST_WINE_INCLUDE /usr/include/wine/wine CACHE PATH "Wine's headers (libwine-dev)")
# Wine's import libraries, lib<name>.a; a folder of <name>.lib links lets the linker find the
# names the compiler and CMake ask for (kernel32.lib, msvcrt.lib ...).
if(NOT LOBECAST_WINE_LIBS)
  file(GLOB LOBECAST_WINE_FOUND "/usr/lib/*/wine/${LOBECAST_WINE_PE_ARCH}/libkernel32.a")
  list(GET LOBECAST_WINE_FOUND 0 LOBECAST_WINE_FOUND)
  get_filename_component(LOBECAST_WINE_LIBS "${LOBECAST_WINE_FOUND}" DIRECTORY)
endif()
set(LOBECAST_WINE_LIBS "${LOBECAST_WINE_LIBS}" CACHE PATH "Wine's import libraries for the target")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LOBECAST_WINE_LIBS)
if(NOT EXISTS "${LOBECAST_WINE_LIBS}/libkernel32.a")
  message(FATAL_ERROR "no Wine import libraries in ${LOBECAST_WINE_LIBS} (libwine-dev for this "
                      "architecture); set LOBECAST_WINE_LIBS to a folder that has them")
endif()
set(LOBECAST_SDK_LIB "${CMAKE_BINARY_DIR}/msvc-sdk/lib")
file(MAKE_DIRECTORY "${LOBECAST_SDK_LIB}")
file(GLOB LOBECAST_WINE_ARCHIVES "${LOBECAST_WINE_LIBS}/lib*.a")
foreach(archive ${LOBECAST_WINE_ARCHIVES})
  get_filename_component(name "${archive}" NAME_WE)
  string(REGEX REPLACE "^lib" "" name "${name}")
  file(CREATE_LINK "${archive}" "${LOBECAST_SDK_LIB}/${name}.lib" SYMBOLIC)
endforeach()
# The compiler names oldnames.lib as a default library; nothing here needs it, so an empty
# archive stands in for it.
file(WRITE "${LOBECAST_SDK_LIB}/oldnames.lib" "!<arch>\n")

set(CMAKE_C_FLAGS_INIT "-imsvc ${LOBECAST_WINE_INCLUDE}/msvcrt -imsvc ${LOBECAST_WINE_INCLUDE}/windows")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
set(CMAKE_RC_FLAGS_INIT "/I ${LOBECAST_WINE_INCLUDE}/windows")
set(CMAKE_EXE_LINKER_FLAGS_INIT "/libpath:${LOBECAST_SDK_LIB} ${LOBECAST_MSVC_LINK_FLAGS}")
# The compiler checks build libraries only: a program links only with the start-up stand-ins,
# which the project adds to its own targets.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# What this stand-in cannot do as Visual Studio does:
# - Wine has no static C runtime (nor a debug start-up), so this links the DLL runtime, Wine's
#   msvcrt.dll, in place of the project's static one;
# - Wine's msvcrt import library lacks a few pieces of MSVC's runtime, which
#   tests/support/msvc_crt_stand_in.cpp supplies (LOBECAST_MSVC_CRT_STAND_IN);
# - Wine provides no C++ standard library, so the acceptance driver and the benchmark probe,
#   which need <algorithm> and the like, are not built (LOBECAST_NO_CXX_LIBRARY): the program,
#   the driver's Win32 harness and the baseline windows are.
set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
set(LOBECAST_MSVC_CRT_STAND_IN ON)
set(LOBECAST_NO_CXX_LIBRARY ON)
include(${CMAKE_CURRENT_LIST_DIR}/winerun.cmake)
