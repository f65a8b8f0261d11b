# The check list, a view over its own model (declared through Flatlists.h).
target_sources(vombrel_toolkit PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Checklist.cpp)
