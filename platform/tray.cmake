# The notification-area icon (Qt's system tray icon, with our own pictures).
add_library(vombrel_platform_tray STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Trayicon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Trayicon.h
)
target_include_directories(vombrel_platform_tray PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_tray PUBLIC Qt6::Widgets)
vombrel_strict(vombrel_platform_tray)
