# Acceptance tests, registered by the host tree when LOBECAST_WIN32_DIR names the Windows build
# (the Makefile's `make test` passes build/win32 and builds it first). Each scenario of the
# Win32 driver runs the real lobecast.exe under Wine through tools/winerun, which brings its own
# prefix and a private Xvfb; e2e.real_keys types real keys with xdotool inside Wine's virtual
# desktop, in a throwaway copy of the prefix (--isolated) so the shared prefix keeps its
# settings. They read pixels and count ticks, so they run one at a time (RESOURCE_LOCK wine).
# LOBECAST_E2E_ARTIFACTS: where the driver keeps the pictures of a failed check (BMP files).
set(lobecast_e2e_exe ${LOBECAST_WIN32_DIR}/tests/e2e/lobecast_e2e.exe)
set(lobecast_e2e_program ${LOBECAST_WIN32_DIR}/lobecast.exe)
# The Wine prefix and logs live beside the host tree, in the same build folder.
get_filename_component(lobecast_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
set(lobecast_e2e_runner ${PROJECT_SOURCE_DIR}/tools/winerun --build ${lobecast_build_root}
                        --timeout 120)
set(lobecast_e2e_artifacts ${CMAKE_BINARY_DIR}/e2e-artifacts)

foreach(scenario startup run reset angle resize fullrun resource model stress)
  add_test(NAME e2e.${scenario}
           COMMAND ${lobecast_e2e_runner} -- ${lobecast_e2e_exe} ${scenario}
                   ${lobecast_e2e_program})
endforeach()
add_test(NAME e2e.real_keys
         COMMAND ${lobecast_e2e_runner} --isolated --desktop 1200x900 --
                 ${PROJECT_SOURCE_DIR}/tests/e2e/real_keys.sh ${lobecast_e2e_program}
                 ${lobecast_e2e_exe})

set_tests_properties(e2e.startup e2e.run e2e.reset e2e.angle e2e.resize e2e.fullrun
                     e2e.resource e2e.model e2e.stress e2e.real_keys
                     PROPERTIES RESOURCE_LOCK wine TIMEOUT 150 LABELS e2e
                                ENVIRONMENT "LOBECAST_E2E_ARTIFACTS=${lobecast_e2e_artifacts}")
