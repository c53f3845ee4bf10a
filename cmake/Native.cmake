# Native Linux build: unit tests, benchmarks and fuzzers against the in-memory platform.
find_package(GTest REQUIRED)
include(GoogleTest)

# The core's service accessors reach the in-memory defaults: a cycle of two static libraries,
# which CMake resolves by repeating them on the link line.
target_link_libraries(trevanel_core INTERFACE trevanel_standins)

# One test program per folder of tests/unit, so that each area builds and runs on its own.
file(GLOB UNIT_AREAS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/unit/*)
foreach(area_dir ${UNIT_AREAS})
    if(IS_DIRECTORY ${area_dir})
        get_filename_component(area ${area_dir} NAME)
        file(GLOB area_sources CONFIGURE_DEPENDS ${area_dir}/*.cpp)
        if(area_sources)
            add_executable(unit_${area} ${area_sources})
            target_link_libraries(unit_${area} PRIVATE trevanel_standins trevanel_core GTest::gtest_main)
            target_compile_definitions(unit_${area} PRIVATE TREVANEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
            gtest_discover_tests(unit_${area} DISCOVERY_MODE PRE_TEST)
        endif()
    endif()
endforeach()

# The configuration tool's suite tests its portable part.
if(TARGET unit_ctl)
    target_link_libraries(unit_ctl PRIVATE trevanel_ctl)
endif()

# The documentation's relative links and the ZTTrevanelCtl commands it names, against the usage
# text that ctl_usage prints through the program's own code.
add_executable(ctl_usage ${CMAKE_SOURCE_DIR}/tests/docs/CtlUsage.cpp)
target_link_libraries(ctl_usage PRIVATE trevanel_ctl trevanel_standins)
add_test(NAME docs_check COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-docs.sh $<TARGET_FILE:ctl_usage>)

# What scripts/setup.sh installs, warns about or stops at, against a stand-in of apt and dpkg.
add_test(NAME setup_roads COMMAND ${CMAKE_SOURCE_DIR}/tests/setup/SetupRoads.sh)

# The registry suite that the in-memory registry shares with the real one under Wine.
if(TARGET unit_platform)
    target_sources(unit_platform PRIVATE ${CMAKE_SOURCE_DIR}/tests/shared/RegistrySuite.cpp)
endif()

# The shipped 32-bit files checked from the files alone, after the cross build (scripts/test.sh runs
# it with TREVANEL_PE32_BUILD): natively, so also where they cannot run.
add_executable(pe32_files ${CMAKE_SOURCE_DIR}/tests/pe32/ShippedFilesTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/common/PeImage.cpp ${CMAKE_SOURCE_DIR}/tests/common/ResourceDecode.cpp
    ${CMAKE_SOURCE_DIR}/tests/common/AddonImage.cpp)
target_include_directories(pe32_files PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(pe32_files PRIVATE GTest::gtest_main)
target_compile_definitions(pe32_files PRIVATE TREVANEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TREVANEL_VERSION="${PROJECT_VERSION}")

# The session soak: plainly, and under valgrind where it is installed (no definite loss allowed).
add_executable(soak_sessions ${CMAKE_SOURCE_DIR}/tests/soak/SessionSoak.cpp)
target_link_libraries(soak_sessions PRIVATE trevanel_standins trevanel_core)
add_test(NAME soak_sessions COMMAND soak_sessions)
find_program(VALGRIND valgrind)
if(VALGRIND AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
    add_test(NAME soak_sessions_valgrind COMMAND ${VALGRIND} --leak-check=full
        --errors-for-leak-kinds=definite --error-exitcode=1 $<TARGET_FILE:soak_sessions>)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
    add_subdirectory(bench)
endif()
option(TREVANEL_FUZZ "Build the libFuzzer harnesses of fuzz/ (needs clang)" OFF)
if(TREVANEL_FUZZ)
    add_subdirectory(fuzz)
endif()
