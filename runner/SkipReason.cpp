// Telling why a tweak does not start.
#include "runner/SkipReason.h"

#include "config/TweakInfo.h"
#include "runner/TransferName.h"
#include "runner/TweakDecision.h"

std::string DescribeSkip(const CTweakInfo& tweak, const TweakDecision& decision) {
    switch (decision.verdict) {
    case TweakVerdict::Applies: return "";
    case TweakVerdict::Disabled: return "the tweak is disabled";
    case TweakVerdict::Type: return "the transfer type is not ticked; ticked: " + ApplyToNames(tweak.m_nApplyTo);
    case TweakVerdict::Filter:
        return "the file name \"" + decision.testedName + "\" matches none of the filters " +
               tweak.GetFilterString() + (tweak.m_bIgnoreCase ? " (letter case ignored)" : " (letter case counts)");
    case TweakVerdict::WildcardPath:
        return "the local path holds ? or *: it names no file (a character lost in the conversion "
               "to the ANSI code page) and would act as a wildcard";
    case TweakVerdict::DevicePath:
        return "the local path's file name names a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, "
               "CONIN$, CONOUT$), not a file";
    case TweakVerdict::ProgramNotFound:
        return DescribeProgramNotFound(tweak.m_strExe);
    case TweakVerdict::UnsafePath:
        return std::string("the path guard refuses the line: ") + DescribeRefusal(decision.line.refusal);
    case TweakVerdict::EarlierFailure: return "a tweak before it failed and stops the chain on failure";
    }
    return "";
}
