# Each subsystem folder declares a window-free part (a static library that tests link without a
# display) and a toolkit part (an object library). The toolkit parts call each other freely,
# as the main window's members are spread over several folders, so they are gathered into one
# static library, zorbel_gui, that the executable and the window tests link.

add_library(zorbel_core INTERFACE)
target_include_directories(zorbel_core INTERFACE ${PROJECT_SOURCE_DIR})

# zorbel_core_library(<sub> SOURCES... [LIBS ...])
function(zorbel_core_library sub)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(target zorbel_${sub}_core)
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_link_libraries(zorbel_core INTERFACE ${target})
endfunction()

# zorbel_gui_library(<sub> SOURCES... [LIBS ...])
function(zorbel_gui_library sub)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(target zorbel_${sub}_gui)
  add_library(${target} OBJECT ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC zorbel_toolkit ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY ZORBEL_GUI_OBJECT_LIBS ${target})
  set_property(GLOBAL APPEND PROPERTY ZORBEL_GUI_EXTRA_LIBS ${ARG_LIBS})
endfunction()

# Everything a toolkit part needs: wxWidgets, GTK, WebKitGTK and X11.
add_library(zorbel_toolkit INTERFACE)
target_include_directories(zorbel_toolkit SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(zorbel_toolkit INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(zorbel_toolkit INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(zorbel_toolkit INTERFACE
  zorbel_core ${wxWidgets_LIBRARIES} PkgConfig::WEBKIT PkgConfig::GTK3 X11::X11)

function(zorbel_finish_libraries)
  get_property(objs GLOBAL PROPERTY ZORBEL_GUI_OBJECT_LIBS)
  set(sources)
  foreach(o ${objs})
    list(APPEND sources $<TARGET_OBJECTS:${o}>)
  endforeach()
  add_library(zorbel_gui STATIC ${sources})
  get_property(extra GLOBAL PROPERTY ZORBEL_GUI_EXTRA_LIBS)
  # Objects go in as sources; linking the object libraries as well would add them twice.
  target_link_libraries(zorbel_gui PUBLIC zorbel_toolkit ${extra})
endfunction()

# Adds every sub-folder of the current source folder that has a CMakeLists.txt, in name order,
# so a new test, tool or benchmark folder needs no line elsewhere.
function(zorbel_add_child_folders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
