# The acceptance tests of this tree's program, registered in every Windows tree: the scenarios
# of the Win32 driver, the real keys typed through X, and the resource and import check.
# On Linux the toolchain file names tools/winerun as CMAKE_CROSSCOMPILING_EMULATOR, so ctest
# runs the driver under Wine on a private Xvfb; on Windows the same lines run it natively.
# A tree that cannot build the driver (clang-cl against Wine's SDK has no C++ library) runs
# the driver of the mingw build for the same processor, named by LOBECAST_E2E_DRIVER.
# LOBECAST_TEST_BUILD names the build in the labels, so CTest's summary says which one ran.
set(LOBECAST_E2E_DRIVER "" CACHE FILEPATH "An acceptance driver built elsewhere, for a tree that cannot build it")
if(NOT LOBECAST_TEST_BUILD)
  set(LOBECAST_TEST_BUILD ${CMAKE_SYSTEM_PROCESSOR})
endif()

# The resource and import check reads the program with binutils, so it needs no Wine.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(lobecast_binutils x86_64-w64-mingw32)
else()
  set(lobecast_binutils i686-w64-mingw32)
endif()
find_program(LOBECAST_WINDRES NAMES ${lobecast_binutils}-windres)
find_program(LOBECAST_OBJDUMP NAMES ${lobecast_binutils}-objdump objdump)
configure_file(${CMAKE_CURRENT_LIST_DIR}/resources.expected.in
               ${CMAKE_BINARY_DIR}/resources.expected @ONLY)
if(LOBECAST_WINDRES AND LOBECAST_OBJDUMP)
  add_test(NAME e2e.resource
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/resource_check.sh ${LOBECAST_WINDRES}
                   ${LOBECAST_OBJDUMP} $<TARGET_FILE:lobecast> ${CMAKE_BINARY_DIR}/resources.expected)
else()
  add_test(NAME e2e.resource COMMAND cmake -E echo
           "skipped: binutils for ${lobecast_binutils} (windres, objdump) not found")
  set_tests_properties(e2e.resource PROPERTIES DISABLED ON)
endif()
set_tests_properties(e2e.resource PROPERTIES LABELS "e2e;quick;${LOBECAST_TEST_BUILD}" TIMEOUT 60)

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
    set(run sh -c "echo \"skipped: $0\" && exit 77" "${why}")
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
  # The shared prefix, made once before the first test that needs it.
  add_test(NAME wine.prefix COMMAND ${run} --prepare)
  set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine_prefix LABELS quick)
  list(APPEND wine_tests e2e.real_keys e2e.window_manager)
  set_property(TEST ${wine_tests} APPEND PROPERTY FIXTURES_REQUIRED wine_prefix)
  list(APPEND wine_tests wine.prefix)
endif()

# They read pixels and count ticks, so they run one at a time.
set_property(TEST ${wine_tests} APPEND PROPERTY LABELS "e2e;${LOBECAST_TEST_BUILD}")
set_tests_properties(${wine_tests} PROPERTIES RESOURCE_LOCK wine TIMEOUT 150 SKIP_RETURN_CODE 77
                     ENVIRONMENT "LOBECAST_E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts")
