// What "explain" prints: for each tweak of the set a profile uses, whether it would start for a
// transfer, with which program and parameter line, or why not.
#pragma once

#include <ostream>
#include <string>

#include "runner/SkipReason.h"
#include "runner/TsvField.h"

// "The environment of every started tweak:" and one indented NAME=VALUE line per variable that
// the runner gives the tweaks of this transfer.
std::string DescribeEnvironment(int type, const std::string& localPath, const std::string& remotePath,
                                const std::string& profile);

void ExplainTransfer(const std::string& profile, int type, const std::string& localPath,
                     const std::string& remotePath, bool tsv, std::ostream& out);
