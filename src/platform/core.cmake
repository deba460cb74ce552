target_sources(korrin_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_system.cpp)
# One implementation of the platform interfaces per system, chosen here.
if(WIN32)
  target_sources(korrin_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/console.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/data_folder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/page_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/program_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/tcp_client.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/win32_file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/win32_util.cpp
  )
  # UTF-16 everywhere at the API; nothing from the rarely used parts of windows.h.
  target_compile_definitions(korrin_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                _WIN32_WINNT=0x0A00)
  target_link_libraries(korrin_core PUBLIC ws2_32 shell32 ole32)
else()
  target_sources(korrin_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/posix/console.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/data_folder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/page_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/posix_file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/program_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/tcp_client.cpp
  )
endif()
