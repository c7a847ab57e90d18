# The acceptance tests of this tree's program, registered in every Windows tree: the scenarios
# of the Win32 driver, the real keys typed through X, and the resource and import check.
# On Linux the toolchain file names tools/winerun as CMAKE_CROSSCOMPILING_EMULATOR, so ctest
# runs the driver under Wine on a private Xvfb; on Windows the same lines run it natively.
# A tree that cannot build the driver (clang-cl against Wine's SDK has no C++ library) runs
# the driver of the mingw build for the same processor, named by LOBECAST_E2E_DRIVER.
# The labels name the build by toolchain and pointer size, so CTest's summary says which one ran.
set(LOBECAST_E2E_DRIVER "" CACHE FILEPATH "An acceptance driver built elsewhere, for a tree that cannot build it")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(lobecast_binutils x86_64-w64-mingw32)
  set(lobecast_msvc_arch x64)
else()
  set(lobecast_binutils i686-w64-mingw32)
  set(lobecast_msvc_arch x86)
endif()
if(MINGW)
  string(REGEX REPLACE "-.*" "" LOBECAST_TEST_BUILD ${lobecast_binutils})  # i686, x86_64
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(LOBECAST_TEST_BUILD clang-cl-${lobecast_msvc_arch})
else()
  set(LOBECAST_TEST_BUILD msvc-${lobecast_msvc_arch})
endif()

include(${PROJECT_SOURCE_DIR}/cmake/skip.cmake)

# The resource and import check reads the program with binutils, so it needs no Wine. The C
# runtime DLL it imports depends on the toolchain: msvcrt.dll for mingw and for clang-cl
# against Wine's libraries, none for MSVC's static runtime.
if(MSVC AND NOT LOBECAST_MSVC_CRT_STAND_IN)
  set(LOBECAST_EXPECTED_CRT "")
else()
  set(LOBECAST_EXPECTED_CRT "imports msvcrt.dll\n")
endif()
find_program(LOBECAST_WINDRES NAMES ${lobecast_binutils}-windres windres)
find_program(LOBECAST_OBJDUMP NAMES ${lobecast_binutils}-objdump objdump)
# On Windows, Git for Windows' bash, not the WSL launcher in System32.
find_program(LOBECAST_BASH bash HINTS "$ENV{ProgramFiles}/Git/bin")
configure_file(${CMAKE_CURRENT_LIST_DIR}/resources.expected.in
               ${CMAKE_BINARY_DIR}/resources.expected @ONLY)
if(LOBECAST_WINDRES AND LOBECAST_OBJDUMP AND LOBECAST_BASH)
  add_test(NAME e2e.resource
           COMMAND ${LOBECAST_BASH} ${CMAKE_CURRENT_LIST_DIR}/resource_check.sh ${LOBECAST_WINDRES}
                   ${LOBECAST_OBJDUMP} $<TARGET_FILE:lobecast> ${CMAKE_BINARY_DIR}/resources.expected
                   ${PROJECT_SOURCE_DIR}/res/lobecast.manifest)
else()
  lobecast_skip_command(skip
    "no PE reader: binutils' windres and objdump for ${lobecast_binutils}, and bash")
  add_test(NAME e2e.resource COMMAND ${skip})
endif()
set_tests_properties(e2e.resource PROPERTIES LABELS "e2e;quick;${LOBECAST_TEST_BUILD}" TIMEOUT 60
                     SKIP_RETURN_CODE 77)

if(NOT TARGET lobecast_e2e)
  if(NOT LOBECAST_E2E_DRIVER)
    message(STATUS "No acceptance driver: set LOBECAST_E2E_DRIVER to run the scenarios")
    return()
  endif()
  add_executable(lobecast_e2e IMPORTED)
  set_target_properties(lobecast_e2e PROPERTIES IMPORTED_LOCATION "${LOBECAST_E2E_DRIVER}")
endif()

# How a test starts the driver: directly on Windows, through the emulator elsewhere. A tree
# whose programs this machine's Wine cannot run (the kernel or the installed Wine has no 32-bit
# side) shows its scenarios as skipped, each saying why.
set(run ${CMAKE_CROSSCOMPILING_EMULATOR})
if(CMAKE_CROSSCOMPILING_EMULATOR AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  execute_process(COMMAND env -u LOBECAST_WINE_ARCH ${PROJECT_SOURCE_DIR}/tools/wine-arch
                          --for "the acceptance tests run"
                  OUTPUT_VARIABLE arch ERROR_VARIABLE why
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE)
  if(arch STREQUAL "win64")
    message(STATUS "Acceptance scenarios skipped here: ${why}")
    lobecast_skip_command(run "${why}")
  endif()
endif()

foreach(scenario startup run reset angle resize fullrun model stress)
  add_test(NAME e2e.${scenario}
           COMMAND ${run} $<TARGET_FILE:lobecast_e2e> ${scenario} $<TARGET_FILE:lobecast>)
  list(APPEND wine_tests e2e.${scenario})
endforeach()
# A few scenarios that together touch every part of the program: what a tree runs when
# another tree runs them all.
set_tests_properties(e2e.startup e2e.angle e2e.fullrun PROPERTIES LABELS quick)

if(CMAKE_CROSSCOMPILING_EMULATOR)
  # Real keys, typed with xdotool: inside Wine's virtual desktop, and as on a user's desktop,
  # where openbox frames the window, maximises it and closes it (Alt+F4). Each runs in a
  # throwaway copy of the prefix that has its settings; the shared one keeps its own.
  set(keys ${PROJECT_SOURCE_DIR}/tests/e2e/real_keys.sh)
  add_test(NAME e2e.real_keys
           COMMAND ${run} --desktop 1200x900 --
                   ${keys} $<TARGET_FILE:lobecast> $<TARGET_FILE:lobecast_e2e>)
  add_test(NAME e2e.window_manager
           COMMAND ${run} --window-manager openbox --screen 1200x900x24 --
                   ${keys} --window-manager $<TARGET_FILE:lobecast> $<TARGET_FILE:lobecast_e2e>)
  # Text as Windows draws it by default, subpixel smoothed with ClearType's coloured fringes,
  # in a throwaway copy of the prefix: the quick scenarios again.
  foreach(scenario startup angle fullrun)
    add_test(NAME e2e.cleartype.${scenario} COMMAND ${run} --cleartype --
                  $<TARGET_FILE:lobecast_e2e> ${scenario} $<TARGET_FILE:lobecast>)
    set_tests_properties(e2e.cleartype.${scenario} PROPERTIES LABELS cleartype)
    list(APPEND wine_tests e2e.cleartype.${scenario})
  endforeach()
  # winerun's contract: the statuses it passes on and reports, what a stop leaves behind, the
  # shared prefix kept as it is.
  if(run STREQUAL CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME wine.failures
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/winerun_test.sh $<TARGET_FILE:lobecast>
                     $<TARGET_FILE:lobecast_e2e> ${CMAKE_BINARY_DIR}/winerun-test ${run})
  else()
    add_test(NAME wine.failures COMMAND ${run})
  endif()
  # The shared prefix, made once before the first test that needs it.
  add_test(NAME wine.prefix COMMAND ${run} --prepare)
  set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine_prefix LABELS quick)
  list(APPEND wine_tests e2e.real_keys e2e.window_manager wine.failures)
  set_property(TEST ${wine_tests} APPEND PROPERTY FIXTURES_REQUIRED wine_prefix)
  list(APPEND wine_tests wine.prefix)
endif()

# They read pixels and count ticks, so they run one at a time.
set_property(TEST ${wine_tests} APPEND PROPERTY LABELS "e2e;${LOBECAST_TEST_BUILD}")
# The limits come from winerun's time budget (cmake/winerun.cmake); natively, 150 s.
if(NOT LOBECAST_WINE_TEST_TIMEOUT)
  set(LOBECAST_WINE_TEST_TIMEOUT 150)
  set(LOBECAST_WINE_FAILURES_TIMEOUT 150)
endif()
set_tests_properties(${wine_tests} PROPERTIES RESOURCE_LOCK wine TIMEOUT ${LOBECAST_WINE_TEST_TIMEOUT}
                     SKIP_RETURN_CODE 77
                     ENVIRONMENT "LOBECAST_E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts")
if(TEST wine.failures)
  set_tests_properties(wine.failures PROPERTIES TIMEOUT ${LOBECAST_WINE_FAILURES_TIMEOUT})
endif()
