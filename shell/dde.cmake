# The shell command component and its execute strings. Qt-free.
add_library(vombrel_shell_dde STATIC ${CMAKE_CURRENT_LIST_DIR}/Shell_DDE.cpp)
target_include_directories(vombrel_shell_dde PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_shell_dde PUBLIC vombrel_support)
set_target_properties(vombrel_shell_dde PROPERTIES AUTOMOC OFF)
vombrel_strict(vombrel_shell_dde)
