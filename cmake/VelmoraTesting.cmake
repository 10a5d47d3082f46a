# One helper to add a test.
#   velmora_add_test(NAME name SOURCES a.cpp ... [QT] [LIBS lib ...])
# Core tests use GoogleTest and link only the core; QT tests use Qt Test
# and run on the offscreen platform so they need no display.
find_package(GTest REQUIRED)

function(velmora_add_test)
  cmake_parse_arguments(ARG "QT" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_include_directories(${ARG_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(ARG_QT)
    set_target_properties(${ARG_NAME} PROPERTIES AUTOMOC ON)
    target_link_libraries(${ARG_NAME} PRIVATE velmora_ui Qt6::Test ${ARG_LIBS})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${ARG_NAME} PRIVATE velmora_core GTest::gtest GTest::gtest_main ${ARG_LIBS})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
  endif()
endfunction()
