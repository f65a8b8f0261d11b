add_executable(bench_wave ${CMAKE_CURRENT_LIST_DIR}/bench_wave.cpp)
target_link_libraries(bench_wave PRIVATE vombrel_wave)
vombrel_strict(bench_wave)
