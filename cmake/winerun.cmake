# On Linux a Windows tree's tests run its programs under Wine, on a private Xvfb, through
# tools/winerun, with the Wine prefix and logs in the folder that holds the tree (build/ for
# build/win32). Included by the toolchain files once CMAKE_SYSTEM_PROCESSOR is set.
if(CMAKE_HOST_UNIX)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
    set(LOBECAST_TREE_WINE_ARCH win64)
  else()
    set(LOBECAST_TREE_WINE_ARCH win32)
  endif()
  get_filename_component(LOBECAST_BUILD_ROOT "${CMAKE_BINARY_DIR}" DIRECTORY)
  get_filename_component(LOBECAST_WINERUN "${CMAKE_CURRENT_LIST_DIR}/../tools/winerun" ABSOLUTE)
  # The time budget, so that a slow run is reported by winerun, with its log, and never cut off
  # by CTest: winerun ends its command at --timeout and adds at most what --overhead prints (its
  # set-up and teardown, making the prefix included). CTest's TIMEOUT of a test that runs winerun
  # once is the sum and 5 s; wine.failures runs it 12 times, each for at most 30 s.
  set(LOBECAST_WINERUN_LIMIT 120)
  execute_process(COMMAND "${LOBECAST_WINERUN}" --overhead OUTPUT_VARIABLE overhead
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  math(EXPR LOBECAST_WINE_TEST_TIMEOUT "${LOBECAST_WINERUN_LIMIT} + ${overhead} + 5")
  math(EXPR LOBECAST_WINE_FAILURES_TIMEOUT "12 * (30 + ${overhead}) + 5")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${LOBECAST_WINERUN}" --build "${LOBECAST_BUILD_ROOT}"
      --arch ${LOBECAST_TREE_WINE_ARCH} --timeout ${LOBECAST_WINERUN_LIMIT})
endif()
