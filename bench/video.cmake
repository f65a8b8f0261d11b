# The video benchmark: a script that plays a 640 x 360 video in the real program's window
# and full screen (and in other video players when installed) and prints a table. Never
# run by ctest.
set(VOMBREL_SOURCE_DIR ${CMAKE_SOURCE_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/video_bench.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vombrel-video-bench @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/video_bench.py ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vombrel-video-bench.py COPYONLY)
