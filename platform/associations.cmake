# File associations on the freedesktop.org model (desktop entries, MIME packages,
# mimeapps.list). Qt-free.
add_library(vombrel_platform_associations STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Fileassociations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Desktopentry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mimeappslist.cpp)
target_include_directories(vombrel_platform_associations PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_associations PUBLIC vombrel_support)
set_target_properties(vombrel_platform_associations PROPERTIES AUTOMOC OFF)
vombrel_strict(vombrel_platform_associations)
