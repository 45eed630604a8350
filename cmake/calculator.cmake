# add_calculator(<name> DRIVER <file> MODULES <files...> TESTS <files...>)
#
# Declares one calculator: the library of its modules (<name>_core), the program linked from the
# driver into <build>/bin/<name>, its man page, its GoogleTest unit tests (file names relative to
# tests/<name>/) and the process-level suites that every calculator shares (tests/harness).

# The drivers' command line (--help, --version): common/command_line.hpp, with the project's version.
function(calc_use_command_line target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common)
  target_compile_definitions(${target} PRIVATE CALC_VERSION="${PROJECT_VERSION}")
endfunction()

# The man page man/<name>.1, installed gzip'd (gzip -9n) into share/man/man1 as Debian ships them.
function(calc_install_man_page name)
  set(page ${PROJECT_SOURCE_DIR}/man/${name}.1)
  if(NOT EXISTS ${page})
    return()
  endif()
  set(packed ${CMAKE_BINARY_DIR}/man/${name}.1.gz)
  add_custom_command(OUTPUT ${packed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${page} ${packed}
                     DEPENDS ${page} VERBATIM)
  add_custom_target(${name}_man ALL DEPENDS ${packed})
  install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

function(add_calculator name)
  cmake_parse_arguments(ARG "" "DRIVER" "MODULES;TESTS" ${ARGN})

  add_library(${name}_core STATIC ${ARG_MODULES})
  target_include_directories(${name}_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_include_directories(${name}_core PRIVATE ${PROJECT_SOURCE_DIR}/common) # digit_product.hpp

  add_executable(${name} ${ARG_DRIVER})
  target_link_libraries(${name} PRIVATE ${name}_core)
  calc_use_command_line(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  calc_install_man_page(${name})

  if(NOT CALC_TESTS)
    return()
  endif()

  set(test_dir ${PROJECT_SOURCE_DIR}/tests/${name})
  if(ARG_TESTS)
    list(TRANSFORM ARG_TESTS PREPEND ${test_dir}/)
    add_executable(${name}_unit ${ARG_TESTS})
    calc_use_command_line(${name}_unit) # a unit test may run the driver itself
    target_link_libraries(${name}_unit PRIVATE ${name}_core GTest::gtest_main)
    set_target_properties(${name}_unit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name}.unit COMMAND ${name}_unit)
  endif()

  calc_add_process_tests(${name} ${test_dir})
endfunction()
