# The hand-over frame codec: Qt-free, included in the core build (also by the fuzz build).
add_library(vombrel_hand_over_core STATIC ${CMAKE_CURRENT_LIST_DIR}/Handoverframe.cpp)
target_include_directories(vombrel_hand_over_core PUBLIC ${CMAKE_SOURCE_DIR})
vombrel_strict(vombrel_hand_over_core)
