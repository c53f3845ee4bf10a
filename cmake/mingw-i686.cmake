# Cross build for 32-bit Windows, what is shipped, with the mingw-w64 i686 compilers of the posix
# thread model.
set(TREVANEL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
