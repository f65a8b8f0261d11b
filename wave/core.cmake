# The pulse-free part of the sound system (PCM formats, WAV storage), also built by the
# fuzz build.
add_library(vombrel_wave_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Waveutils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Wavestorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Recordersettings.cpp
)
target_include_directories(vombrel_wave_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_wave_core PUBLIC vombrel_support)
vombrel_strict(vombrel_wave_core)
