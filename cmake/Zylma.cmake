# zylma_test(NAME <name> SOURCES <files...> LIBS <targets...> LABELS <labels...>)
# One GoogleTest executable; every test in it is registered with CTest under the labels given.
function(zylma_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    ZYLMA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZYLMA_BINARY_DIR="${PROJECT_BINARY_DIR}"
    ZYLMA_APP_DIR="${ZYLMA_APP_DIR}")
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  gtest_discover_tests(${T_NAME}
    PROPERTIES LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
