# Track-change soak of the built-in engine alone (run by hand inside the test environment).
add_executable(bench_player_soak ${CMAKE_CURRENT_LIST_DIR}/bench_player_soak.cpp)
target_link_libraries(bench_player_soak PRIVATE vombrel_players)
set_target_properties(bench_player_soak PROPERTIES AUTOMOC OFF)
vombrel_strict(bench_player_soak)
