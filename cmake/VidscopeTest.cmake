# SPDX-License-Identifier: MIT
# vidscope_test_dir(NAME LIBS...): one GoogleTest program from every .cpp of the calling folder.
# Its tests get the labels in VIDSCOPE_TEST_LABELS when the calling folder sets them.
function(vidscope_test_dir name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARGN} vidscope_test_environment GTest::gtest
                                          GTest::gtest_main Threads::Threads)
    set(labels "")
    if(VIDSCOPE_TEST_LABELS)
        set(labels PROPERTIES LABELS "${VIDSCOPE_TEST_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${labels})
endfunction()
