# SPDX-License-Identifier: MIT
# vidscope_test_dir(NAME LIBS...): one GoogleTest program from every .cpp of the calling folder.
function(vidscope_test_dir name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARGN} vidscope_test_environment GTest::gtest
                                          GTest::gtest_main Threads::Threads)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
