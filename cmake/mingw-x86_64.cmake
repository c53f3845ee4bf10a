# Cross build of the x64 twin with the mingw-w64 x86-64 compilers of the posix thread model: the same
# sources as the 32-bit build, for machines whose Wine cannot run 32-bit programs. What is shipped
# stays the 32-bit build.
set(TREVANEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
