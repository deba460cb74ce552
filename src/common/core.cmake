target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/latin1.cpp
)
