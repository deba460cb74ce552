# The stand-in target for trying every sample patch without the real client:
# build/demo/vplaces.exe, checked against samples/ each time it is made.
add_executable(make-demo-target ${CMAKE_CURRENT_LIST_DIR}/make_demo_target.cpp)
target_link_libraries(make-demo-target PRIVATE korrin_core)

file(GLOB korrin_samples CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/samples/*.pat)
set(korrin_demo_target ${CMAKE_BINARY_DIR}/demo/vplaces.exe)
add_custom_command(
  OUTPUT ${korrin_demo_target}
  COMMAND make-demo-target ${CMAKE_SOURCE_DIR}/samples ${korrin_demo_target}
  DEPENDS make-demo-target ${korrin_samples}
  COMMENT "Making the stand-in vplaces.exe for the samples"
  VERBATIM)
# A cross build makes it only when asked (it runs under Wine), so that building runs no Wine.
if(CMAKE_CROSSCOMPILING)
  add_custom_target(demo DEPENDS ${korrin_demo_target})
else()
  add_custom_target(demo ALL DEPENDS ${korrin_demo_target})
endif()

if(KORRIN_BUILD_TESTS)
  add_test(NAME demo_target_applies_every_sample
    COMMAND make-demo-target ${CMAKE_SOURCE_DIR}/samples ${CMAKE_BINARY_DIR}/demo-check/vplaces.exe)
  set_tests_properties(demo_target_applies_every_sample PROPERTIES LABELS core)
endif()

# The Windows window's pictures are prints of the Qt window's drawings, kept in the repository
# so that the Windows build needs no Qt: after changing a drawing, run
#   build/render-artwork src/win32/artwork
# The test fails while the prints differ from what the drawings make.
if(KORRIN_BUILD_GUI)
  add_executable(render-artwork ${CMAKE_CURRENT_LIST_DIR}/render_artwork.cpp)
  target_link_libraries(render-artwork PRIVATE korrin_gui)
  if(KORRIN_BUILD_TESTS)
    add_test(NAME windows_artwork_is_current
      COMMAND sh -c "out=$(mktemp -d) && \"$0\" \"$out\" && diff -r \"$out\" \"$1\"; s=$?; rm -rf \"$out\"; exit $s"
              $<TARGET_FILE:render-artwork> ${CMAKE_SOURCE_DIR}/src/win32/artwork)
    set_tests_properties(windows_artwork_is_current PROPERTIES LABELS gui)
  endif()
endif()
