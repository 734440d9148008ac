find_package(GTest REQUIRED)
include(GoogleTest)

# A unit test links only the window-free libraries and runs without a display.
function(zorbel_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zorbel_core ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    ZORBEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZORBEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit TIMEOUT 120)
endfunction()

# What window tests (and the window benchmarks) share, built once: the recording message box,
# the bounded event pump, pointer input, screen capture, a stand-in notification area and the
# started main window of the benchmarks.
add_library(zorbel_window_test_support STATIC
  ${PROJECT_SOURCE_DIR}/tests/support/WindowTestSupport.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/EventPump.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/PointerInput.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/ScreenCapture.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/FakeTray.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/KeyInput.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/DesktopState.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/ToolkitStart.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/StartedMainWindow.cpp)
target_link_libraries(zorbel_window_test_support PUBLIC zorbel_gui X11::Xtst)
add_library(zorbel_window_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/WindowTestMain.cpp)
target_link_libraries(zorbel_window_test_main PUBLIC zorbel_window_test_support GTest::gtest)

# A window test links the toolkit parts and the shared window-test main; ctest runs it under
# the display that the test script provides (xvfb-run).
function(zorbel_window_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zorbel_window_test_main ${ARG_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    ZORBEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZORBEL_BINARY_DIR="${PROJECT_BINARY_DIR}"
    ZORBEL_APP_DIR="${ZORBEL_APP_DIR}")
  add_dependencies(${name} zorbel_app_folder)
  # One process per test binary: wx starts once per process.
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS window TIMEOUT 300)
endfunction()
