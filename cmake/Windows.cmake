# Cross build for Windows (the shipped 32-bit build, or its x64 twin): the add-on DLL, the host stand-in,
# the test fixtures and the Wine test programs. Everything that runs lands in bin/; CTest runs it under Wine.
enable_language(RC)
include(GoogleTest)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# What is shipped is the 32-bit build. The x64 twin is built from the same sources so that every
# Wine test also runs under 64-bit Wine, on machines that cannot run 32-bit programs too. Its .def
# has the same names and ordinals without the stdcall decoration, which x64 lacks.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TREVANEL_ARCH x64)
    set(TREVANEL_WINE_ARCH win64)
    set(TREVANEL_EXPORTS_DEF ${CMAKE_SOURCE_DIR}/addon/ZTTrevanelAddon-x64.def)
else()
    set(TREVANEL_ARCH win32)
    set(TREVANEL_WINE_ARCH win32)
    set(TREVANEL_EXPORTS_DEF ${CMAKE_SOURCE_DIR}/addon/ZTTrevanelAddon.def)
endif()
set(TREVANEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine/prefix)

# The emulator: scripts/wine-run with this build tree's prefix unless WINEPREFIX names another, and
# the Wine of the tree's architecture.
file(WRITE ${CMAKE_BINARY_DIR}/wine-run
    "#!/bin/sh\n"
    ": \"\${WINEPREFIX:=${TREVANEL_WINE_PREFIX}}\"\n"
    "export WINEPREFIX TREVANEL_WINE_ARCH=${TREVANEL_WINE_ARCH}\n"
    "exec \"${CMAKE_SOURCE_DIR}/scripts/wine-run\" \"\$@\"\n")
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run
    PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# GoogleTest from the distribution's sources, built with the cross compiler.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The Win32 platform services. Linked as objects, so their Default*() functions are the ones every
# Windows program gets.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(trevanel_win32 OBJECT ${WIN32_SOURCES})
trevanel_layer_includes(trevanel_win32 platform)
target_link_libraries(trevanel_win32 PUBLIC advapi32 shell32 user32 gdi32 comctl32 comdlg32 ole32 oleaut32 uuid version)

# The add-on. The C++ and thread runtimes are linked in, so it imports system DLLs only; the
# whole core goes in, because nothing but the .def file asks for the exports.
add_library(ZTTrevanelAddon SHARED ${CMAKE_SOURCE_DIR}/addon/win32/DllMain.cpp ${TREVANEL_EXPORTS_DEF})
if(EXISTS ${CMAKE_SOURCE_DIR}/ui/ZTTrevanelAddon.rc)
    target_sources(ZTTrevanelAddon PRIVATE ${CMAKE_SOURCE_DIR}/ui/ZTTrevanelAddon.rc)
    set_property(SOURCE ${CMAKE_SOURCE_DIR}/ui/ZTTrevanelAddon.rc APPEND PROPERTY
        OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/ui/resource.h)
endif()
set_target_properties(ZTTrevanelAddon PROPERTIES PREFIX "" OUTPUT_NAME ZTTrevanelAddon)
# The entry point belongs to the add-on layer; the resource script reads ui/resource.h.
trevanel_layer_includes(ZTTrevanelAddon addon ui runner config platform)
target_include_directories(ZTTrevanelAddon PRIVATE ${CMAKE_SOURCE_DIR}/ui)
target_compile_options(ZTTrevanelAddon PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${TREVANEL_WARNINGS}>")
target_link_libraries(ZTTrevanelAddon PRIVATE trevanel_win32 "$<LINK_LIBRARY:WHOLE_ARCHIVE,trevanel_core>")
target_link_options(ZTTrevanelAddon PRIVATE -static -static-libgcc -static-libstdc++)

# A program that runs under Wine: statically linked, so no runtime DLL has to lie beside it.
function(trevanel_windows_program target)
    target_compile_options(${target} PRIVATE ${TREVANEL_WARNINGS})
    target_link_options(${target} PRIVATE -static)
endfunction()

# The host stand-in.
add_executable(ZTHost ${CMAKE_SOURCE_DIR}/tools/ZTHost.cpp ${CMAKE_SOURCE_DIR}/tools/ZTHostFtp.cpp)
target_link_libraries(ZTHost PRIVATE wininet)
trevanel_windows_program(ZTHost)

# A shipped program's version, icon and manifest (tools/ProgramResources.rci).
function(trevanel_program_resources target)
    set(script ${CMAKE_SOURCE_DIR}/tools/${target}.rc)
    target_sources(${target} PRIVATE ${script})
    set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/tools/ProgramResources.rci
        ${CMAKE_SOURCE_DIR}/tools/ZTTrevanelPrograms.manifest ${CMAKE_SOURCE_DIR}/ui/ZTTrevanelAddon.ico)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tools ${CMAKE_SOURCE_DIR}/ui)
endfunction()

# The configuration tool, shipped beside the add-on: the add-on's own core and the tool's part.
add_executable(ZTTrevanelCtl ${CMAKE_SOURCE_DIR}/tools/ZTTrevanelCtl.cpp)
target_link_libraries(ZTTrevanelCtl PRIVATE trevanel_ctl trevanel_win32 trevanel_core)
trevanel_windows_program(ZTTrevanelCtl)
trevanel_program_resources(ZTTrevanelCtl)
# The run record as a page, for the Start menu: a windows program, so that no console opens.
add_executable(ZTTrevanelRecord WIN32 ${CMAKE_SOURCE_DIR}/tools/ZTTrevanelRecord.cpp)
target_link_libraries(ZTTrevanelRecord PRIVATE trevanel_ctl trevanel_win32 trevanel_core)
trevanel_windows_program(ZTTrevanelRecord)
trevanel_program_resources(ZTTrevanelRecord)

# Programs that report what the add-on derives, built from the add-on's own sources.
add_executable(ZTModuleStrings ${CMAKE_SOURCE_DIR}/tools/ZTModuleStrings.cpp)
target_link_libraries(ZTModuleStrings PRIVATE trevanel_win32 trevanel_core)
trevanel_windows_program(ZTModuleStrings)

# Test fixtures: one small program per source file, named after it.
file(GLOB FIXTURE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*.cpp)
set(TREVANEL_FIXTURES)
foreach(source ${FIXTURE_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    trevanel_windows_program(${name})
    list(APPEND TREVANEL_FIXTURES ${name})
endforeach()

# The Wine test harness: where the built programs are, a blank-named folder for the DLL, the host
# stand-in, the registry. See tests/wine/common/WineHarness.h.
file(GLOB HARNESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/common/*.cpp)
add_library(trevanel_wine_harness STATIC ${HARNESS_SOURCES}
    ${CMAKE_SOURCE_DIR}/tests/common/PeImage.cpp ${CMAKE_SOURCE_DIR}/tests/common/ResourceDecode.cpp
    ${CMAKE_SOURCE_DIR}/tests/common/AddonImage.cpp)
target_include_directories(trevanel_wine_harness PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(trevanel_wine_harness PRIVATE ${TREVANEL_WARNINGS})
target_compile_definitions(trevanel_wine_harness PRIVATE
    TREVANEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TREVANEL_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
target_link_libraries(trevanel_wine_harness PUBLIC GTest::gtest advapi32 user32)

# One Wine test program per folder of tests/wine, each a GoogleTest program run through wine-run.
# The tests share one Wine prefix and its registry, so they never run at the same time.
file(GLOB WINE_AREAS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/wine/*)
foreach(area_dir ${WINE_AREAS})
    get_filename_component(area ${area_dir} NAME)
    if(NOT IS_DIRECTORY ${area_dir} OR area STREQUAL "common")
        continue()
    endif()
    file(GLOB area_sources CONFIGURE_DEPENDS ${area_dir}/*.cpp)
    if(NOT area_sources)
        continue()
    endif()
    add_executable(wine_${area} ${area_sources})
    target_link_libraries(wine_${area} PRIVATE
        trevanel_wine_harness trevanel_win32 trevanel_core GTest::gtest_main)
    target_compile_definitions(wine_${area} PRIVATE
        TREVANEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TREVANEL_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    trevanel_windows_program(wine_${area})
    add_dependencies(wine_${area} ZTTrevanelAddon ZTHost ZTTrevanelCtl ZTTrevanelRecord ${TREVANEL_FIXTURES})
    # The transfer tests need the FTP server that the fixture below starts and stops.
    set(area_properties)
    if(area STREQUAL "ftp")
        set(area_properties FIXTURES_REQUIRED ftp_server)
    endif()
    gtest_discover_tests(wine_${area}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        TEST_PREFIX "wine_${area}."
        PROPERTIES RESOURCE_LOCK wine_prefix TIMEOUT 300 ${area_properties})
endforeach()

# The pages and texts a German-speaking user meets: Wine takes the interface language from the
# locale it is started in.
if(TARGET wine_package)
    foreach(test PackageWine.TheRunRecordProgramOpensTheRecordAsAPageWithoutAConsole
                 SetupWine.RunLikeAUserItInstallsEveryFileRegistersTheAddOnAndOpensTheHelp
                 SetupWine.ACancelledTweakListInstallsNoHostAndAQuietUpdateAndRemovalKeepOtherKeys)
        string(REGEX REPLACE "^[^.]*\\." "" name ${test})
        add_test(NAME wine_package.German.${name}
            COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:wine_package> --gtest_filter=${test})
        set_tests_properties(wine_package.German.${name} PROPERTIES
            ENVIRONMENT "TREVANEL_WINE_LOCALE=de_DE.UTF-8" RESOURCE_LOCK wine_prefix TIMEOUT 300)
    endforeach()
endif()

# The FTP server of the transfer tests, on a free port of the loopback with a fresh folder; CTest
# stops it after them, also when they fail.
if(TARGET wine_ftp)
    add_test(NAME ftp_server_start COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}
        sh -c "rm -rf ftp/served && '${CMAKE_SOURCE_DIR}/scripts/ftp-server' start ftp ftp/served")
    add_test(NAME ftp_server_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/ftp-server stop ${CMAKE_BINARY_DIR}/ftp)
    set_tests_properties(ftp_server_start PROPERTIES FIXTURES_SETUP ftp_server)
    set_tests_properties(ftp_server_stop PROPERTIES FIXTURES_CLEANUP ftp_server)
endif()

# The registry suite that the real registry shares with the in-memory one.
if(TARGET wine_config AND EXISTS ${CMAKE_SOURCE_DIR}/tests/shared/RegistrySuite.cpp)
    target_sources(wine_config PRIVATE ${CMAKE_SOURCE_DIR}/tests/shared/RegistrySuite.cpp)
endif()

# The configuration tool's Wine tests also use its portable part.
if(TARGET wine_ctl)
    target_link_libraries(wine_ctl PRIVATE trevanel_ctl)
endif()

# The run record's cost under Wine, against the real add-on (bench/RecordBench.cpp).
add_executable(bench_record ${CMAKE_SOURCE_DIR}/bench/RecordBench.cpp)
target_link_libraries(bench_record PRIVATE trevanel_win32 trevanel_core)
trevanel_windows_program(bench_record)
add_dependencies(bench_record ZTTrevanelAddon Recorder)

# A set's save against raw registry writes, under Wine (bench/SaveBench.cpp).
add_executable(bench_save ${CMAKE_SOURCE_DIR}/bench/SaveBench.cpp)
target_link_libraries(bench_save PRIVATE trevanel_win32 trevanel_core)
trevanel_windows_program(bench_save)
# What following the stored configuration and reading sets cost, under Wine (bench/LoadBench.cpp).
add_executable(bench_load ${CMAKE_SOURCE_DIR}/bench/LoadBench.cpp)
target_link_libraries(bench_load PRIVATE trevanel_win32 trevanel_core)
trevanel_windows_program(bench_load)
add_dependencies(bench_load Recorder)

# The user's package: the zip that wine_package unpacks and installs.
include(${CMAKE_SOURCE_DIR}/cmake/Package.cmake)
