# velmor_add_tool_window_test(<name> SOURCES <files...> [LIBS <targets...>])
# A test of the tool windows end to end: the real main window and tool windows with the application's
# skin against the emulated amplifier, driven through the shared tool-window, scene, controller and
# application test support. It holds the application's instance mutex and rewrites its settings file,
# as the program does.
function(velmor_add_tool_window_test name)
  cmake_parse_arguments(W "" "" "SOURCES;LIBS" ${ARGN})
  velmor_add_test(${name}
    SOURCES ${W_SOURCES}
            ${CMAKE_SOURCE_DIR}/tests/tool_windows/ToolWindowTestSupport.cpp
            ${CMAKE_SOURCE_DIR}/tests/app_scenes/SceneTestSupport.cpp
            ${CMAKE_SOURCE_DIR}/tests/app_controller/ControllerTestSupport.cpp
            ${CMAKE_SOURCE_DIR}/tests/app_shell/AppTestSupport.cpp
    LIBS app_shell amp_emulator ${W_LIBS} TIMEOUT 300)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/app_shell
                             ${CMAKE_SOURCE_DIR}/tests/app_controller ${CMAKE_SOURCE_DIR}/tests/app_scenes)
  velmor_embed_skin(${name})
  target_compile_definitions(${name} PRIVATE TEST_SKIN_PASSWORD=VELMOR_SKIN_PASSWORD)
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK velmor_application)
endfunction()
