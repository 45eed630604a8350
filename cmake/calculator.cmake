# add_calculator(<name> DRIVER <file> MODULES <files...> TESTS <files...>)
#
# Declares one calculator: the library of its modules (<name>_core), the program linked from the
# driver into <build>/bin/<name>, its man page, its GoogleTest unit tests (file names relative to
# tests/<name>/) and the process-level suites that every calculator shares (tests/harness).

# The command line and the calculation stream shared by the six: common/command_line.hpp (drivers)
# and common/calc_io.hpp (every module that reads or writes), with the project's version.
function(calc_use_command_line target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common)
  target_compile_definitions(${target} PRIVATE CALC_VERSION="${PROJECT_VERSION}")
endfunction()

# Installs <file> gzip'd (gzip -9n, as Debian ships man pages and changelogs) into <destination>;
# <target> names the build step that packs it.
function(calc_install_gzipped target file destination)
  get_filename_component(name ${file} NAME)
  set(packed ${CMAKE_BINARY_DIR}/gzipped/${name}.gz)
  add_custom_command(OUTPUT ${packed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gzipped
                     COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${file} ${packed}
                     DEPENDS ${file} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${packed})
  install(FILES ${packed} DESTINATION ${destination})
endfunction()

# The man page man/<name>.1, installed gzip'd into share/man/man1.
function(calc_install_man_page name)
  set(page ${PROJECT_SOURCE_DIR}/man/${name}.1)
  if(EXISTS ${page})
    calc_install_gzipped(${name}_man ${page} ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endfunction()

function(add_calculator name)
  cmake_parse_arguments(ARG "" "DRIVER" "MODULES;TESTS" ${ARGN})

  add_library(${name}_core STATIC ${ARG_MODULES})
  target_include_directories(${name}_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/common)
  # A large product may run on several threads (common/parallel.hpp).
  target_link_libraries(${name}_core PUBLIC Threads::Threads)

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
