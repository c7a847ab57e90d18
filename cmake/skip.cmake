# Tests that cannot run in this tree: a command that prints one line saying why and exits 77,
# which the test's SKIP_RETURN_CODE 77 turns into a skip. Included by tests/CMakeLists.txt and
# tests/e2e/register.cmake.
include_guard(GLOBAL)

# lobecast_skip_command(OUT WHY [NAME]): in OUT, the command that prints "skipped: WHY" (after
# "NAME: " when a name is given); Windows has cmd where other systems have sh. Arguments added
# after it are ignored.
function(lobecast_skip_command out why)
  set(line "skipped: ${why}")
  if(ARGC GREATER 2)
    set(line "${ARGV2}: ${line}")
  endif()
  if(CMAKE_HOST_WIN32)
    set(${out} cmd /c "echo ${line}& exit /b 77" PARENT_SCOPE)
  else()
    set(${out} sh -c "echo \"$0\" && exit 77" "${line}" PARENT_SCOPE)
  endif()
endfunction()

# lobecast_skipped_test(NAME LABELS WHY): a stand-in for the test NAME, said at configure time
# too. It carries the labels of the test it stands for, so `ctest -L` lists it as skipped.
function(lobecast_skipped_test name labels why)
  message(WARNING "${name} will be skipped: ${why}")
  lobecast_skip_command(skip "${why}" ${name})
  add_test(NAME ${name} COMMAND ${skip})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS "${labels}" TIMEOUT 10)
endfunction()
