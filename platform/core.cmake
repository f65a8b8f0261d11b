# The hand-over frame codec: Qt-free, included in the core build (also by the fuzz build).
add_library(vombrel_hand_over_core STATIC ${CMAKE_CURRENT_LIST_DIR}/Handoverframe.cpp)
target_include_directories(vombrel_hand_over_core PUBLIC ${CMAKE_SOURCE_DIR})
vombrel_strict(vombrel_hand_over_core)
# The second start's side: the single-instance lock and the hand-over client. Qt-free, so
# that the launcher hands over without loading the toolkit.
add_library(vombrel_hand_over_client STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Singleinstance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Privatesocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Handoverclient.cpp)
target_link_libraries(vombrel_hand_over_client PUBLIC vombrel_hand_over_core vombrel_playlist vombrel_support)
vombrel_strict(vombrel_hand_over_client)
