# The single-instance lock and the hand-over transport (Qt Core).
add_library(vombrel_platform_instance STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Singleinstance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Framedsocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Framedsocket.h
  ${CMAKE_CURRENT_LIST_DIR}/Handover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Handover.h
)
target_link_libraries(vombrel_platform_instance
  PUBLIC vombrel_hand_over_core vombrel_playlist Qt6::Core)
vombrel_strict(vombrel_platform_instance)
