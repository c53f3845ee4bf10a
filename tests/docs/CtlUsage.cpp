// Prints what "ZTTrevanelCtl --help" prints, through the program's own RunCtlProgram, for the
// documentation check (scripts/check-docs.sh) of a build that has no Windows programs.
#include <iostream>

#include "ctl/CtlProgram.h"

int main() { return RunCtlProgram({"--help"}, std::cout, std::cerr); }
