# The Qt implementations of the player engines' host interfaces.
add_library(vombrel_playerhost STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Playerhost.h
  ${CMAKE_CURRENT_LIST_DIR}/Playerhost.cpp
)
target_include_directories(vombrel_playerhost PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_playerhost PUBLIC vombrel_players Qt6::Widgets)
vombrel_strict(vombrel_playerhost)
