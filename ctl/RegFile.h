// Registry files as the system's registry editor writes and reads them: the Unicode form
// ("Windows Registry Editor Version 5.00", UTF-16LE with byte order mark, CR LF) and the older
// ANSI form ("REGEDIT4", in the system's ANSI code page). Values hold the bytes the registry's
// ANSI view stores, so a string is its ANSI text with the terminating zero.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RegFileValue {
    std::string name;  // empty: the key's default value ("@")
    uint32_t type = 0;
    std::vector<uint8_t> data;
    int line = 0;  // where the value starts in a file that was read
};

struct RegFileKey {
    std::string path;  // with its root name, e.g. "HKEY_USERS\.DEFAULT\Software"
    std::vector<RegFileValue> values;
    int line = 0;
};

struct RegFile {
    std::vector<RegFileKey> keys;
};

// The Unicode form, byte order mark first.
std::vector<uint8_t> WriteRegFile(const RegFile& file);

struct RegFileError {
    int line = 0;  // 0: the file as a whole
    std::string message;
};

// Reads either form as the editor reads it: blanks and tabs before the header, around "=" and
// after "dword:", comment lines starting with ";" or "#", and a ";" comment after a value. Refused are deleting
// keys or values ("[-...]", "=-"), escapes in quotes other than \\ and \", and what the editor
// would drop or store otherwise: a hex list that goes on over a line inside a byte or without a
// comma, or that ends in "\" at the file's end. On failure *error names the line and the problem.
bool ReadRegFile(const std::vector<uint8_t>& bytes, RegFile* file, RegFileError* error);
