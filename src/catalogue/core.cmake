target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/catalogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/definition.cpp
)
