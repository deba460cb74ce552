target_sources(korrin_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/apply_handler.cpp
)
