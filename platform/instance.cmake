# The running instance's end of the hand-over transport (Qt Core), on the Qt-free lock
# and client (core.cmake).
add_library(vombrel_platform_instance STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Framedsocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Framedsocket.h
  ${CMAKE_CURRENT_LIST_DIR}/Handover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Handover.h
)
target_link_libraries(vombrel_platform_instance
  PUBLIC vombrel_hand_over_client Qt6::Core)
vombrel_strict(vombrel_platform_instance)
