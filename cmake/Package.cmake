# The user's package, a zip with ZTTrevanelAddon.dll at its top, the Help folder and the read-mes
# (and ZTTrevanelCtl.exe and examples\ where the tree has them), and the setup program that
# installs the same files. The install rules of component "user" say what goes in. The build
# stages them with cmake --install (the DLL without its debug information), packs the stage with
# CPack's ZIP generator and unpacks the zip again with CMake's archive reader, so the zip is a
# build product that the Wine tests install from; `cpack` in the build tree (or the target
# "package") packs the same stage again. makensis builds the setup from the stage.
set(TREVANEL_PACKAGE_NAME "ZTTrevanelAddon-${PROJECT_VERSION}-${TREVANEL_ARCH}")
set(TREVANEL_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${TREVANEL_PACKAGE_NAME}.zip)
set(TREVANEL_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package/stage)
set(TREVANEL_PACKAGE_UNZIPPED ${CMAKE_BINARY_DIR}/package/unzipped)

# The read-mes are kept in UTF-8 with LF and shipped as code page 1252 with CR LF.
set(TREVANEL_READMES)
foreach(name LIESMICH.txt README.txt)
    set(output ${CMAKE_BINARY_DIR}/package/${name})
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/package/${name} -DOUTPUT=${output}
            -P ${CMAKE_SOURCE_DIR}/package/WindowsText.cmake
        DEPENDS ${CMAKE_SOURCE_DIR}/package/${name} ${CMAKE_SOURCE_DIR}/package/WindowsText.cmake
        VERBATIM)
    list(APPEND TREVANEL_READMES ${output})
endforeach()
# German and English pages of both dialogs; the Help button picks them by the user's language.
set(TREVANEL_HELP_NAMES ZTTrevanelAddOn.htm ZTTrevanelAddOnInfo.htm ZTTrevanelAddOn-en.htm
    ZTTrevanelAddOnInfo-en.htm)
set(TREVANEL_HELP_FILES)
foreach(name ${TREVANEL_HELP_NAMES})
    list(APPEND TREVANEL_HELP_FILES ${CMAKE_SOURCE_DIR}/ui/Help/${name})
endforeach()

install(TARGETS ZTTrevanelAddon RUNTIME DESTINATION . COMPONENT user)
install(FILES ${TREVANEL_HELP_FILES} DESTINATION Help COMPONENT user)
install(FILES ${TREVANEL_READMES} DESTINATION . COMPONENT user)

# The package's files below its top, in the order the setup installs them.
list(TRANSFORM TREVANEL_HELP_NAMES PREPEND Help/ OUTPUT_VARIABLE help_entries)
set(TREVANEL_PACKAGE_FILES ZTTrevanelAddon.dll ${help_entries} LIESMICH.txt README.txt)
set(TREVANEL_PACKAGE_DEPENDS ZTTrevanelAddon ${TREVANEL_HELP_FILES} ${TREVANEL_READMES})
if(TARGET ZTTrevanelCtl)
    install(TARGETS ZTTrevanelCtl RUNTIME DESTINATION . COMPONENT user)
    list(APPEND TREVANEL_PACKAGE_FILES $<TARGET_FILE_NAME:ZTTrevanelCtl>)
    list(APPEND TREVANEL_PACKAGE_DEPENDS ZTTrevanelCtl)
endif()
if(TARGET ZTTrevanelRecord)
    install(TARGETS ZTTrevanelRecord RUNTIME DESTINATION . COMPONENT user)
    list(APPEND TREVANEL_PACKAGE_FILES $<TARGET_FILE_NAME:ZTTrevanelRecord>)
    list(APPEND TREVANEL_PACKAGE_DEPENDS ZTTrevanelRecord)
endif()
file(GLOB TREVANEL_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.reg ${CMAKE_SOURCE_DIR}/examples/*.js)
if(TREVANEL_EXAMPLES)
    install(FILES ${TREVANEL_EXAMPLES} DESTINATION examples COMPONENT user)
    foreach(example ${TREVANEL_EXAMPLES})
        get_filename_component(name ${example} NAME)
        list(APPEND TREVANEL_PACKAGE_FILES examples/${name})
    endforeach()
    list(APPEND TREVANEL_PACKAGE_DEPENDS ${TREVANEL_EXAMPLES})
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ZTTrevanelAddon)
set(CPACK_PACKAGE_VENDOR "Tarku Software")
set(CPACK_PACKAGE_FILE_NAME ${TREVANEL_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# The files sit at the top of the zip: users unpack it into the folder the add-on is to live in.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# CPack packs the staged folder and builds nothing itself: its own install step would start a
# nested build of this tree from inside the build.
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALLED_DIRECTORIES "${TREVANEL_PACKAGE_STAGE};.")
include(CPack)

add_custom_command(OUTPUT ${TREVANEL_PACKAGE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TREVANEL_PACKAGE_STAGE}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component user
        --prefix ${TREVANEL_PACKAGE_STAGE} --strip
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TREVANEL_PACKAGE_UNZIPPED}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TREVANEL_PACKAGE_UNZIPPED}
    COMMAND ${CMAKE_COMMAND} -E chdir ${TREVANEL_PACKAGE_UNZIPPED}
        ${CMAKE_COMMAND} -E tar xf ${TREVANEL_PACKAGE_ZIP}
    DEPENDS ${TREVANEL_PACKAGE_DEPENDS}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packing ${TREVANEL_PACKAGE_NAME}.zip"
    VERBATIM)
add_custom_target(trevanel_package ALL DEPENDS ${TREVANEL_PACKAGE_ZIP})

# The setup program, built from the stage with makensis. Without makensis the cross build goes on
# without it, except in CI, where it must not be missing.
find_program(TREVANEL_MAKENSIS makensis)
if(NOT TREVANEL_MAKENSIS AND "$ENV{CI}" STREQUAL "true")
    message(FATAL_ERROR "makensis (Debian package nsis) is missing; scripts/setup.sh installs it")
endif()
if(TREVANEL_MAKENSIS)
    set(TREVANEL_SETUP_EXE ${CMAKE_BINARY_DIR}/ZTTrevanelAddon-${PROJECT_VERSION}-setup.exe)
    # The files of the stage as the macros that the setup script inserts: File into the folder
    # of each, and on uninstall a delete that leaves a file still in use to the next restart,
    # then the folders, each removed when empty.
    set(install_lines)
    set(uninstall_lines)
    set(folders)
    foreach(file ${TREVANEL_PACKAGE_FILES})
        get_filename_component(folder "${file}" DIRECTORY)
        string(REPLACE "/" "\\" windows_file "${file}")
        set(windows_folder)
        if(folder)
            string(REPLACE "/" "\\" windows_folder "\\${folder}")
            list(APPEND folders "${windows_folder}")
        endif()
        string(APPEND install_lines "    SetOutPath \"$INSTDIR${windows_folder}\"\n"
            "    File \"${TREVANEL_PACKAGE_STAGE}/${file}\"\n")
        string(APPEND uninstall_lines
            "    !insertmacro RemoveInstalledFile \"$INSTDIR\\${windows_file}\"\n")
    endforeach()
    list(REMOVE_DUPLICATES folders)
    foreach(folder ${folders})
        string(APPEND uninstall_lines "    RMDir \"$INSTDIR${folder}\"\n")
    endforeach()
    set(TREVANEL_SETUP_FILES_NSH ${CMAKE_BINARY_DIR}/package/SetupFiles.nsh)
    file(GENERATE OUTPUT ${TREVANEL_SETUP_FILES_NSH} CONTENT
        "!macro InstallFiles\n${install_lines}!macroend\n!macro UninstallFiles\n${uninstall_lines}!macroend\n")

    add_custom_command(OUTPUT ${TREVANEL_SETUP_EXE}
        COMMAND ${TREVANEL_MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
            -DFILES=${TREVANEL_SETUP_FILES_NSH}
            -DICON=${CMAKE_SOURCE_DIR}/ui/ZTTrevanelAddon.ico -DOUTFILE=${TREVANEL_SETUP_EXE}
            -DARCH=${TREVANEL_ARCH}
            ${CMAKE_SOURCE_DIR}/package/ZTTrevanelAddon.nsi
        DEPENDS ${TREVANEL_PACKAGE_ZIP} ${TREVANEL_SETUP_FILES_NSH}
            ${CMAKE_SOURCE_DIR}/package/ZTTrevanelAddon.nsi ${CMAKE_SOURCE_DIR}/ui/ZTTrevanelAddon.ico
        COMMENT "Building ZTTrevanelAddon-${PROJECT_VERSION}-setup.exe"
        VERBATIM)
    add_custom_target(trevanel_setup ALL DEPENDS ${TREVANEL_SETUP_EXE})
endif()

# The package test installs the unpacked zip and runs the setup; it checks the companion program
# and the examples when the package ships them.
if(TARGET wine_package)
    add_dependencies(wine_package trevanel_package)
    target_compile_definitions(wine_package PRIVATE
        TREVANEL_PACKAGE_UNZIPPED="${TREVANEL_PACKAGE_UNZIPPED}")
    if(TARGET trevanel_setup)
        add_dependencies(wine_package trevanel_setup)
        target_compile_definitions(wine_package PRIVATE TREVANEL_SETUP_EXE="${TREVANEL_SETUP_EXE}")
    endif()
    if(TARGET ZTTrevanelCtl)
        target_compile_definitions(wine_package PRIVATE
            TREVANEL_SHIPS_CTL="$<TARGET_FILE_NAME:ZTTrevanelCtl>")
    endif()
    if(TARGET ZTTrevanelRecord)
        target_compile_definitions(wine_package PRIVATE
            TREVANEL_SHIPS_RECORD="$<TARGET_FILE_NAME:ZTTrevanelRecord>")
    endif()
    if(TREVANEL_EXAMPLES)
        target_compile_definitions(wine_package PRIVATE TREVANEL_SHIPS_EXAMPLES)
    endif()
endif()
