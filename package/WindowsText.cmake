# Turns a read-me written in UTF-8 with LF line ends into what Windows users open in any editor:
# code page 1252 with CR LF. Characters outside the table below stop the build rather than
# reaching users as garbage.
#   cmake -DINPUT=<utf-8 file> -DOUTPUT=<cp1252 file> -P WindowsText.cmake
file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")

set(letters "ä;ö;ü;Ä;Ö;Ü;ß")
set(codes 228 246 252 196 214 220 223)

set(rest "${text}")
foreach(letter IN LISTS letters)
    string(REPLACE "${letter}" "" rest "${rest}")
endforeach()
string(REGEX REPLACE "[\t\n -~]" "" rest "${rest}")
if(NOT rest STREQUAL "")
    message(FATAL_ERROR "${INPUT}: characters without a code page 1252 form here: ${rest}")
endif()

foreach(letter code IN ZIP_LISTS letters codes)
    string(ASCII ${code} byte)
    string(REPLACE "${letter}" "${byte}" text "${text}")
endforeach()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
