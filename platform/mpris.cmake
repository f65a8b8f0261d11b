# The desktop media controls: MPRIS on the session bus (Qt D-Bus).
add_library(vombrel_platform_mpris STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Mprismapping.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mprisservice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mprisservice.h
  ${CMAKE_CURRENT_LIST_DIR}/Mprisadaptors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mprisadaptors.h
)
target_include_directories(vombrel_platform_mpris PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_mpris PUBLIC vombrel_support Qt6::Core Qt6::DBus)
vombrel_strict(vombrel_platform_mpris)
