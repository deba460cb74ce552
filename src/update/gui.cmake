target_sources(korrin_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/update_handlers.cpp
)
