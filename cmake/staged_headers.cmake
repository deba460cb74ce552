# CLI11 and nlohmann-json for a cross build. Both are header-only, but their CMake files, made
# for this machine, put /usr/include (its Linux headers) on the include path of every target
# that links them, where they would shadow the Windows ones. Their two folders are copied apart
# and offered alone, under the names find_package would give.
set(korrin_staged ${CMAKE_BINARY_DIR}/staged-include)
foreach(dir CLI nlohmann)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(COPY /usr/include/${dir} DESTINATION ${korrin_staged})
endforeach()
foreach(name CLI11::CLI11 nlohmann_json::nlohmann_json)
  add_library(${name} INTERFACE IMPORTED)
  set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${korrin_staged})
endforeach()
