add_executable(bench_playlist ${CMAKE_CURRENT_LIST_DIR}/bench_playlist.cpp)
target_link_libraries(bench_playlist PRIVATE vombrel_playlist vombrel_platform_instance Qt6::Core)
vombrel_strict(bench_playlist)
