// Reading a zip archive the way an unpacking program on the user's machine would, written for the
// package test so that it needs no unzip tool: the central directory, stored and deflated entries,
// and the CRC-32 of every entry checked.
#pragma once

#include <map>
#include <string>

namespace zip {

// The entries of the archive by name as stored ("Help/ZTTrevanelAddOn.htm"); folder entries end
// in "/" and have no content. Throws std::runtime_error for anything it cannot read or verify.
std::map<std::string, std::string> ReadArchive(const std::string& bytes);

// Raw inflate of a deflate stream (RFC 1951). Throws std::runtime_error on corrupt data.
std::string Inflate(const std::string& deflated);

}  // namespace zip
