# Helpers shared by every subsystem folder. Sources are globbed so that a new
# file in a subsystem needs no edit of a shared list.

# tramond_core_library(<name> [DEPS <libs...>])
# Builds tramond_<name> from src/<name>/*.cpp (no Qt).
function(tramond_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_srcs)
    add_library(tramond_${name} STATIC ${_srcs})
    set(_scope PUBLIC)
  else()
    add_library(tramond_${name} INTERFACE)
    set(_scope INTERFACE)
  endif()
  target_include_directories(tramond_${name} ${_scope} ${PROJECT_SOURCE_DIR}/src)
  if(ARG_DEPS)
    target_link_libraries(tramond_${name} ${_scope} ${ARG_DEPS})
  endif()
endfunction()

# tramond_ui_library(<name> [DEPS <libs...>])
# Builds tramond_<name>_ui from src/<name>/ui/*.cpp with Qt Widgets.
function(tramond_ui_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  if(NOT TRAMOND_BUILD_GUI)
    return()
  endif()
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
  if(NOT _srcs)
    return()
  endif()
  add_library(tramond_${name}_ui STATIC ${_srcs})
  target_include_directories(tramond_${name}_ui PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tramond_${name}_ui PUBLIC tramond_${name} Qt6::Widgets ${ARG_DEPS})
endfunction()

# tramond_test(<name> DIR <dir> DEPS <libs...> [QT])
# One test executable per folder of tests/. With QT, the folder's tests run
# under a QApplication on the offscreen platform (tests/support/qt_test_main.cpp).
function(tramond_test name)
  cmake_parse_arguments(ARG "QT" "DIR" "DEPS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  if(ARG_QT)
    if(NOT TRAMOND_BUILD_GUI)
      return()
    endif()
    add_executable(${name} ${_srcs} ${PROJECT_SOURCE_DIR}/tests/support/qt_test_main.cpp)
    target_link_libraries(${name} PRIVATE GTest::gtest Qt6::Widgets Qt6::Test ${ARG_DEPS})
  else()
    add_executable(${name} ${_srcs})
    target_link_libraries(${name} PRIVATE GTest::gtest_main ${ARG_DEPS})
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TRAMOND_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TRAMOND_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
