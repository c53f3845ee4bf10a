// Why a tweak does not start, in words: for explain, the console's run and the editor's test.
#pragma once

#include <string>

struct TweakDecision;
class CTweakInfo;

// The ticked types, the tested name and the filters, the program's absence or the path guard's
// reason; empty for a tweak that starts.
std::string DescribeSkip(const CTweakInfo& tweak, const TweakDecision& decision);
