# The stricter warnings the computing layer and the command-line programs keep clean; with
# CORVANE_WERROR (set by CI) any warning there fails the build.
set(CORVANE_STRICT_WARNINGS -Wshadow -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
if(CORVANE_WERROR)
    list(APPEND CORVANE_STRICT_WARNINGS -Werror)
endif()

# Each core subsystem is a static library of the .cpp files in its folder (not its ui/ folder).
# Core libraries never see Qt: they are compiled without Qt on the include path.
function(corvane_core_library name folder)
    file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${name} PUBLIC ${ARGN})
        target_compile_options(${name} PRIVATE ${CORVANE_STRICT_WARNINGS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
endfunction()

# One GoogleTest executable per test folder, registered with CTest.
function(corvane_test name folder)
    cmake_parse_arguments(T "GUI" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp")
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
    if(NOT T_GUI)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    if(T_GUI)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
    endif()
endfunction()
