# Shared build rules of the project.

# Fuzz builds instrument every library for coverage, or libFuzzer only sees its own entry file.
if(VELMOR_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
endif()

if(VELMOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Core libraries are warning-free by rule: no Qt, -Wall -Wextra -Werror.
# Sources are every .cpp of the folder itself (subfolders such as ui/ are separate targets).
function(velmor_core_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A subsystem not written yet: keep its name usable by dependants.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# One GoogleTest executable per tested subsystem: every .cpp of the calling folder.
function(velmor_gtest name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(WIN32)
    # Tests of a serial line on a pseudo-terminal and of the simulator as a child process need
    # Linux; the rest of the folder runs under Windows too.
    list(FILTER sources EXCLUDE REGEX "/(LinkFaultsTest|SerialLinkTest|SimProcessTest)\\.cpp$")
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_link_libraries(${name} PRIVATE ${ARGN} velmor_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VELMOR_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

include(GoogleTest)

# The programs (velmor, velmorctl, velmor-sim) sit side by side in <build>/bin as they do when
# installed or copied as a portable folder: each takes its own folder as the data folder, so the
# program and velmorctl share velmor.ini and IPList.ini in every layout.
function(velmor_program name)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  install(TARGETS ${name} RUNTIME DESTINATION bin)
endfunction()

# Qt widget libraries of a subsystem's ui/ folder: every .cpp there, moc on.
function(velmor_ui_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARGN})
endfunction()

# tests/<dir> becomes test program test_<dir> linked with the given libraries.
macro(velmor_test_dir dir)
  set(velmor_test_libs ${ARGN})
  add_subdirectory(${dir})
endmacro()
