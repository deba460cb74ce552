target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/lint.cpp
)
