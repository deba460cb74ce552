# The program folder, as cmake --install lays it out and the portable archive holds it: both
# programs side by side with the sample definitions (the programs read their catalogue from
# their own folder), a short README, and under share/ the icons and the desktop entry that
# scripts/install.sh hands to the desktop.
set(korrin_icon_sizes 16 22 24 32 48 64 128 256)

configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
file(GLOB korrin_sample_definitions ${CMAKE_SOURCE_DIR}/samples/*.pat)
install(FILES ${korrin_sample_definitions} DESTINATION .)

if(TARGET korrin-patch)
  install(TARGETS korrin-patch RUNTIME DESTINATION .)
endif()

if(TARGET korrin-patcher)
  install(TARGETS korrin-patcher RUNTIME DESTINATION .)
endif()

# The Qt window's desktop: the Windows window carries its icon in its own resources.
if(TARGET korrin-patcher AND KORRIN_BUILD_GUI)
  # The desktop's icons, drawn by the window's own artwork code.
  add_executable(render-icons ${CMAKE_SOURCE_DIR}/tools/render_icons.cpp)
  target_link_libraries(render-icons PRIVATE korrin_gui)
  set(korrin_icon_dir ${CMAKE_BINARY_DIR}/icons/hicolor)
  set(korrin_icon_files)
  foreach(size ${korrin_icon_sizes})
    list(APPEND korrin_icon_files ${korrin_icon_dir}/${size}x${size}/apps/korrin-patcher.png)
  endforeach()
  add_custom_command(
    OUTPUT ${korrin_icon_files}
    COMMAND render-icons ${korrin_icon_dir} korrin-patcher ${korrin_icon_sizes}
    DEPENDS render-icons
    COMMENT "Rendering the desktop icons"
    VERBATIM)
  add_custom_target(desktop-icons ALL DEPENDS ${korrin_icon_files})
  install(DIRECTORY ${korrin_icon_dir} DESTINATION share/icons)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/korrin-patcher.desktop DESTINATION share/applications)
endif()

# The portable archive: the program folder, ready to unpack anywhere.
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME korrin-patcher)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Patches vplaces.exe from a catalogue of definition files")
set(CPACK_PACKAGE_FILE_NAME korrin-patcher-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
