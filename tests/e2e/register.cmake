# Acceptance tests, registered by the host tree when LOBECAST_WIN32_DIR (and LOBECAST_WIN64_DIR)
# name the Windows builds (the Makefile's `make test` passes build/win32 and build/win64 and
# builds both first). Each scenario of the Win32 driver runs the real lobecast.exe under Wine
# through tools/winerun, which brings its own prefix and a private Xvfb; e2e.real_keys types
# real keys with xdotool inside Wine's virtual desktop, in a throwaway copy of the prefix
# (--isolated) so the shared prefix keeps its settings. They read pixels and count ticks, so
# they run one at a time (RESOURCE_LOCK wine).
# Which build runs: the i686 one, which is shipped, wherever this machine runs 32-bit Wine;
# elsewhere the x86_64 one under wine64 (tools/wine-arch decides, LOBECAST_WINE_ARCH forces).
# The tests carry the build as a label, so CTest's summary says which one ran.
# LOBECAST_E2E_ARTIFACTS: where the driver keeps the pictures of a failed check (BMP files).
if(NOT LOBECAST_WINE_ARCH)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-arch --for "the acceptance tests run"
                  OUTPUT_VARIABLE LOBECAST_WINE_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(LOBECAST_WINE_ARCH STREQUAL "win32")
  set(lobecast_e2e_dir ${LOBECAST_WIN32_DIR})
  set(lobecast_e2e_build i686)
elseif(LOBECAST_WINE_ARCH STREQUAL "win64" AND LOBECAST_WIN64_DIR)
  set(lobecast_e2e_dir ${LOBECAST_WIN64_DIR})
  set(lobecast_e2e_build x86_64)
else()
  message(FATAL_ERROR "acceptance tests: LOBECAST_WINE_ARCH is '${LOBECAST_WINE_ARCH}'; "
                      "win64 needs LOBECAST_WIN64_DIR")
endif()
set(lobecast_e2e_exe ${lobecast_e2e_dir}/tests/e2e/lobecast_e2e.exe)
set(lobecast_e2e_program ${lobecast_e2e_dir}/lobecast.exe)
# The Wine prefix and logs live beside the host tree, in the same build folder.
get_filename_component(lobecast_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
set(lobecast_e2e_runner ${PROJECT_SOURCE_DIR}/tools/winerun --build ${lobecast_build_root}
                        --arch ${LOBECAST_WINE_ARCH} --timeout 120)
set(lobecast_e2e_artifacts ${CMAKE_BINARY_DIR}/e2e-artifacts)

foreach(scenario startup run reset angle resize fullrun model stress)
  add_test(NAME e2e.${scenario}
           COMMAND ${lobecast_e2e_runner} -- ${lobecast_e2e_exe} ${scenario}
                   ${lobecast_e2e_program})
endforeach()
# Reading resources needs no 32-bit code: both programs are checked wherever the tests run.
set(lobecast_e2e_programs ${LOBECAST_WIN32_DIR}/lobecast.exe)
if(LOBECAST_WIN64_DIR)
  list(APPEND lobecast_e2e_programs ${LOBECAST_WIN64_DIR}/lobecast.exe)
endif()
add_test(NAME e2e.resource
         COMMAND ${lobecast_e2e_runner} -- ${lobecast_e2e_exe} resource ${lobecast_e2e_programs})
add_test(NAME e2e.real_keys
         COMMAND ${lobecast_e2e_runner} --isolated --desktop 1200x900 --
                 ${PROJECT_SOURCE_DIR}/tests/e2e/real_keys.sh ${lobecast_e2e_program}
                 ${lobecast_e2e_exe})
# The same keys as on a user's desktop: openbox frames the windows, which the prefix then lets
# it manage (as make run leaves it on a display), maximises the window and closes it. Its
# fixture first leaves the shared prefix as a private-display run does (Managed=N), so the
# scenario also shows that setting go again.
add_test(NAME e2e.window_manager.unmanaged_prefix
         COMMAND ${lobecast_e2e_runner} --
                 wine reg query "HKCU\\Software\\Wine\\X11 Driver" /v Managed)
add_test(NAME e2e.window_manager
         COMMAND ${lobecast_e2e_runner} --window-manager openbox --screen 1200x900x24 --
                 ${PROJECT_SOURCE_DIR}/tests/e2e/real_keys.sh --window-manager
                 ${lobecast_e2e_program} ${lobecast_e2e_exe})
set_tests_properties(e2e.window_manager.unmanaged_prefix PROPERTIES FIXTURES_SETUP unmanaged_prefix)
set_tests_properties(e2e.window_manager PROPERTIES FIXTURES_REQUIRED unmanaged_prefix)

set_tests_properties(e2e.startup e2e.run e2e.reset e2e.angle e2e.resize e2e.fullrun
                     e2e.resource e2e.model e2e.stress e2e.real_keys
                     e2e.window_manager.unmanaged_prefix e2e.window_manager
                     PROPERTIES RESOURCE_LOCK wine TIMEOUT 150 LABELS "e2e;${lobecast_e2e_build}"
                                ENVIRONMENT "LOBECAST_E2E_ARTIFACTS=${lobecast_e2e_artifacts}")
