# What both mingw-w64 toolchains share; TREVANEL_MINGW_PREFIX names the compilers' target. The posix
# thread model, because GoogleTest needs std::thread and friends, which the win32 model lacks.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TREVANEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TREVANEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TREVANEL_MINGW_PREFIX}-windres)
set(CMAKE_AR ${TREVANEL_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TREVANEL_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${TREVANEL_MINGW_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TREVANEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine in the project's Wine environment (quiet, own prefix).
# cmake/Windows.cmake replaces this with a wrapper that knows the build tree's prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
