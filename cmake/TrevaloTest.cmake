# One GoogleTest binary per module, all added the same way.
#   trevalo_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [QT_MAIN] [LABELS <labels...>])
# QT_MAIN: the binary's main creates a QApplication (offscreen) first, for
# tests that need an event loop, widgets or processes with signals.
find_package(GTest REQUIRED)
include(GoogleTest)

function(trevalo_add_test)
  cmake_parse_arguments(T "QT_MAIN" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_QT_MAIN)
    target_link_libraries(${T_NAME} PRIVATE trevalo_qttestmain)
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} trevalo_testsupport GTest::gtest)
  target_compile_definitions(${T_NAME} PRIVATE
    TREVALO_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
  # Unlabelled binaries are unit tests; the label lets a partial build (the
  # ThreadSanitizer one) run just the test binaries it built.
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${T_LABELS}")
  # Parameters are named by their index: printed values can hold addresses.
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES ${props})
endfunction()
