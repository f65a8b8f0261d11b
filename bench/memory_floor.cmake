# The memory benchmark's floor: a bare window, with and without the media framework
# (run by vombrel-app-bench --floor).
add_executable(vombrel-memory-floor ${CMAKE_CURRENT_LIST_DIR}/bench_memory_floor.cpp)
target_link_libraries(vombrel-memory-floor PRIVATE Qt6::Widgets PkgConfig::GST)
set_target_properties(vombrel-memory-floor PROPERTIES AUTOMOC OFF)
vombrel_strict(vombrel-memory-floor)
