# The window program on Windows: native controls over the window model of korrin_core.
add_executable(korrin-patcher WIN32
  ${CMAKE_CURRENT_LIST_DIR}/frmPatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wide.cpp
  ${CMAKE_CURRENT_LIST_DIR}/winsock_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/korrin-patcher.rc
)
# The resource script names its files relative to its own folder.
target_include_directories(korrin-patcher PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(korrin-patcher PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
                                                  _WIN32_WINNT=0x0A00 NOMINMAX)
target_link_options(korrin-patcher PRIVATE -municode)
target_link_libraries(korrin-patcher PRIVATE korrin_core comctl32 gdiplus shlwapi ole32 shell32
                                             ws2_32)
