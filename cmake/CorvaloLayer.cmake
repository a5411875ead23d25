# One library per layer. A layer's sources are the .cpp files of its folder
# (recursively, leaving out the sub-folders named in EXCLUDE, which are
# libraries of their own); a layer without sources yet is an interface
# library so the layers above can already name it.
function(corvalo_layer name)
  cmake_parse_arguments(L "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(dir ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${dir}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# One test program per *_test.cpp file, linked against the given libraries.
# Programs are put in the test folder's mirror in the build tree.
function(corvalo_tests)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src ${tests})
    get_filename_component(stem ${src} NAME_WE)
    add_executable(${stem} ${src})
    target_link_libraries(${stem} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    # Shared test helpers are included as "support/...".
    target_include_directories(${stem} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(${stem} PRIVATE
      CORVALO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
      CORVALO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    # A test that hangs fails after two minutes instead of holding up the run.
    # Parameter values stay out of the test names: some print as raw bytes.
    gtest_discover_tests(${stem} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES
      PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy" TIMEOUT 120)
  endforeach()
endfunction()
