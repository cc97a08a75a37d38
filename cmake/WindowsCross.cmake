# Third-party parts of the Windows cross build, taken from Debian's packages without mixing in
# Linux headers: GoogleTest built from its source package, CLI11's header folder alone.
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "the Windows build needs the Debian package googletest (/usr/src/googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its own CMake files name the targets GTest::gtest, GTest::gmock, GTest::gtest_main as well.

# /usr/include itself must not reach the MinGW compiler: link CLI's folder alone into the build.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11-include)
file(CREATE_LINK /usr/include/CLI ${CMAKE_BINARY_DIR}/cli11-include/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/cli11-include)
