# Shared CMake helpers of the project.

# The pure core must never see Qt: fail the configure step when one of its sources includes a
# Qt header, so the mistake is caught before anything is compiled.
function(tavi_check_core_is_pure)
  get_target_property(srcs tavi_core SOURCES)
  foreach(src IN LISTS srcs)
    if(NOT IS_ABSOLUTE ${src})
      continue()
    endif()
    file(STRINGS ${src} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
    if(hits)
      message(FATAL_ERROR "Qt include in the pure core: ${src}: ${hits}")
    endif()
  endforeach()
endfunction()

# Adds pure sources (absolute paths) of the calling folder to the core library.
function(tavi_core_sources)
  foreach(src IN LISTS ARGN)
    target_sources(tavi_core PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
endfunction()

# Adds Qt sources of the calling folder to the Qt layer (ignored when Qt is off).
function(tavi_qt_sources)
  if(TARGET tavi_qt)
    foreach(src IN LISTS ARGN)
      target_sources(tavi_qt PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endforeach()
  endif()
endfunction()

# One GoogleTest program per folder of tests/. Tests are discovered when CTest runs them, so
# building does not run anything.
# QT: the program gets a QApplication (offscreen unless QT_QPA_PLATFORM says otherwise).
# LOCK names a resource the suite's tests hold while they run: tests that load the machine
# (LibreOffice, a whole X session) and tests that time a peer on loopback take the same lock, so
# that a busy machine never makes the timed ones miss their deadlines.
# FIXTURE names the CTest fixture (a server started before the tests) that the tests need.
function(tavi_test_suite name)
  cmake_parse_arguments(T "QT" "LOCK;FIXTURE" "SOURCES;LIBS;ENV" ${ARGN})
  if(T_QT)
    add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/qtmain.cpp)
    target_link_libraries(${name} PRIVATE ${T_LIBS} tavi_qt Qt6::Test GTest::gtest GTest::gmock)
  else()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE TAVI_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             TAVI_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(props ENVIRONMENT "${T_ENV}" TIMEOUT 300)
  if(T_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_LOCK})
  endif()
  if(T_FIXTURE)
    list(APPEND props FIXTURES_REQUIRED ${T_FIXTURE})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
