# The windowing platform choice and the termination requests (Qt Core).
add_library(vombrel_platform_session STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Session.h
)
target_include_directories(vombrel_platform_session PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_session PUBLIC Qt6::Core)
vombrel_strict(vombrel_platform_session)
