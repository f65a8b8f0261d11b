# The main window's benchmark: a script that starts the real program (and other players
# when installed) and prints a table. Never run by ctest.
set(VOMBREL_SOURCE_DIR ${CMAKE_SOURCE_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/app_bench.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vombrel-app-bench @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/app_bench.py ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vombrel-app-bench.py COPYONLY)
