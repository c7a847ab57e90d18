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
  set(CMAKE_CROSSCOMPILING_EMULATOR "${LOBECAST_WINERUN}" --build "${LOBECAST_BUILD_ROOT}"
      --arch ${LOBECAST_TREE_WINE_ARCH} --timeout 120)
endif()
