# calc_require(<what> <package> <option> <variables...>)
#
# Stops the configure when a dependency of the tests or benchmarks is missing: each variable is the
# result of a find_path, find_library or find_program, and the message names the Debian package
# that provides it and the option that builds without the part that needs it.
function(calc_require what package option)
  foreach(found ${ARGN})
    if(NOT ${found})
      message(FATAL_ERROR "${what} needs the Debian package ${package}, which is missing (${found}). "
                          "Install it (apt-get install ${package}) or configure with -D${option}=OFF "
                          "to build without it.")
    endif()
  endforeach()
endfunction()
