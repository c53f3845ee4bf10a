# The user's package, a zip with ZTTrevanelAddon.dll at its top, the Help folder and the read-mes.
# The install rules of component "user" say what goes in. The build stages them with
# cmake --install (the DLL without its debug information) and packs the stage with CPack's ZIP
# generator, so the zip is a build product that the Wine tests unpack; `cpack` in the build tree
# (or the target "package") packs the same stage again.
set(TREVANEL_PACKAGE_NAME "ZTTrevanelAddon-${PROJECT_VERSION}-win32")
set(TREVANEL_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${TREVANEL_PACKAGE_NAME}.zip)
set(TREVANEL_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package/stage)

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
set(TREVANEL_HELP_FILES
    ${CMAKE_SOURCE_DIR}/ui/Help/ZTTrevanelAddOn.htm
    ${CMAKE_SOURCE_DIR}/ui/Help/ZTTrevanelAddOnInfo.htm)

install(TARGETS ZTTrevanelAddon RUNTIME DESTINATION . COMPONENT user)
install(FILES ${TREVANEL_HELP_FILES} DESTINATION Help COMPONENT user)
install(FILES ${TREVANEL_READMES} DESTINATION . COMPONENT user)

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
    DEPENDS ZTTrevanelAddon ${TREVANEL_HELP_FILES} ${TREVANEL_READMES}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packing ${TREVANEL_PACKAGE_NAME}.zip"
    VERBATIM)
add_custom_target(trevanel_package ALL DEPENDS ${TREVANEL_PACKAGE_ZIP})

if(TARGET wine_package)
    add_dependencies(wine_package trevanel_package)
    target_compile_definitions(wine_package PRIVATE TREVANEL_PACKAGE_ZIP="${TREVANEL_PACKAGE_ZIP}")
endif()
