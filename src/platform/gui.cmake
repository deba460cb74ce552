target_sources(korrin_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dirthing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sckHTTP.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
)
