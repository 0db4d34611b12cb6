# Source lists are globbed per subsystem folder so that adding a file needs no edit here.

# Non-widget sources of the given folders (widgets/ subfolders excluded).
function(pavona_sources out)
    set(result "")
    foreach(dir ${ARGN})
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
        list(FILTER found EXCLUDE REGEX "/widgets/")
        list(APPEND result ${found})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# Every source of the given folders, widgets/ subfolders included.
function(pavona_widget_sources out)
    set(result "")
    foreach(dir ${ARGN})
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
        list(APPEND result ${found})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# One GoogleTest program per tests/ subfolder. Core, engine and database tests link the
# windowless engine only, which keeps it honest about needing no widgets.
function(pavona_test_folder name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(test_${name} ${sources})
    if(name STREQUAL "core" OR name STREQUAL "engine" OR name STREQUAL "database")
        target_link_libraries(test_${name} PRIVATE pavona_engine GTest::gtest GTest::gtest_main GTest::gmock)
    else()
        target_link_libraries(test_${name} PRIVATE pavona_ui Qt6::Test GTest::gtest GTest::gtest_main GTest::gmock)
    endif()
    target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(test_${name} PRIVATE
        PAVONA_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        PAVONA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/${name}/data")
    gtest_discover_tests(test_${name}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()
