# Figures of the built-in player engine (run by hand inside the test environment).
add_executable(bench_players ${CMAKE_CURRENT_LIST_DIR}/bench_players.cpp)
target_link_libraries(bench_players PRIVATE vombrel_players)
set_target_properties(bench_players PROPERTIES AUTOMOC OFF)
vombrel_strict(bench_players)
