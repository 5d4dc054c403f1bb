# The version of the Debian package: the project version, then "+" and the number of
# commits of the checkout, so that every commit makes a newer package than the one before
# it ("1.0.0.1+412" after "1.0.0.1+411") and `apt-get install` updates an installed one.
# A source tree without git (a tarball) gives the project version alone. The release date
# is that of the last commit, else the fallback.
#
#   include(PackageVersion)
#   kvadrix_package_version(VERSION_VAR DATE_VAR "${PROJECT_VERSION}" "2026-12-08")
#
# Run as a script it prints the version of the tree SOURCE_DIR:
#   cmake -DSOURCE_DIR=dir -DBASE_VERSION=1.0.0.1 -P PackageVersion.cmake
function(kvadrix_package_version version_var date_var base fallback_date)
  set(dir "${ARGV4}")
  if(NOT dir)
    set(dir "${CMAKE_SOURCE_DIR}")
  endif()
  set(version "${base}")
  set(date "${fallback_date}")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${dir}" rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE top_rc ERROR_QUIET)
    # Only the tree's own history counts, not that of a checkout it happens to lie in.
    if(top_rc EQUAL 0)
      file(REAL_PATH "${top}" top)
      file(REAL_PATH "${dir}" real_dir)
    endif()
    if(top_rc EQUAL 0 AND top STREQUAL real_dir)
      execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${dir}" rev-list --count HEAD
                      OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE
                      RESULT_VARIABLE count_rc ERROR_QUIET)
      execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${dir}" log -1 --format=%cs
                      OUTPUT_VARIABLE last OUTPUT_STRIP_TRAILING_WHITESPACE
                      RESULT_VARIABLE last_rc ERROR_QUIET)
      if(count_rc EQUAL 0 AND count MATCHES "^[0-9]+$")
        set(version "${base}+${count}")
      endif()
      if(last_rc EQUAL 0 AND last MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
        set(date "${last}")
      endif()
    endif()
  endif()
  set(${version_var} "${version}" PARENT_SCOPE)
  set(${date_var} "${date}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  kvadrix_package_version(version date "${BASE_VERSION}" "" "${SOURCE_DIR}")
  message("${version}")
endif()
