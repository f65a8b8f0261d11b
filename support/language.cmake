# Language files and the message table.
target_sources(vombrel_support PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Supportlanguage.cpp)
