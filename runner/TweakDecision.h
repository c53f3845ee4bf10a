// Whether one tweak starts for a finished transfer, and if not, why not.
#pragma once

#include <string>

#include "runner/ParameterLine.h"
#include "runner/ProgramSearch.h"

class CTweakInfo;

enum class TweakVerdict {
    Applies,
    Disabled,
    // The tweak's "Apply To" set lacks the transfer type's bit.
    Type,
    // The tweak has filters and none matches the local path's file name.
    Filter,
    // The tweak applies, but the local path is a wildcard (a character that the ANSI code page
    // lacks arrives as ?) or a device (IsWildcardPath, IsDevicePath), not a file: a tweak could
    // wait for ever on a device. Refused whatever the program and the parameter line, since every
    // tweak gets the local path in its environment.
    WildcardPath,
    DevicePath,
    // The tweak applies, but its program is named without a folder and no folder that is
    // searched for it holds it (the current directory is never searched).
    ProgramNotFound,
    // The tweak applies, but a path cannot be put into its parameter line safely, or the
    // program lies in the transferred file's folder (line.refusal says which).
    UnsafePath,
    // The tweak applies, but an earlier tweak that stops the chain on failure failed in this run;
    // only the runner decides it.
    EarlierFailure,
};

// "applies", "disabled", "type", "filter", "wildcard-path", "device-path", "program-not-found",
// "unsafe-path" or "earlier-failure".
const char* VerdictName(TweakVerdict verdict);

struct TweakDecision {
    TweakVerdict verdict = TweakVerdict::Disabled;
    // The file name that the filters examined: what follows the local path's last backslash.
    std::string testedName;
    // The program the shell is asked to start, and the line it would get (judged by the rules
    // of that program); started only for Applies. DecideTweak searches for the program only
    // when the enabled, type and filter checks pass (else program.file is the stored name);
    // DecideTweakInFull always.
    ProgramToStart program;
    ParameterLine line;
    // The tweak's name when it was decided, for reports that outlive a reload of the set.
    std::string tweakName;
};

// The file name of path that filters examine; a null path counts as empty. Only the backslash
// separates folders: a "/" belongs to the name.
std::string FilterNameOf(const char* path);

// Whether a local path holds ? or * outside a leading "\\?\" or "\\.\" (the extended-length and
// device prefixes, which are no wildcards). A null path counts as empty.
bool IsWildcardPath(const char* path);

// Whether the last part of a local path (after the last \ or /) names a DOS device as Windows
// reads it: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (also with the superscript digits
// of code page 1252), CONIN$ or CONOUT$, in any letter case, also followed by an extension, a
// colon or trailing dots and blanks ("nul.txt", "COM1:", "con . "). A null path counts as empty.
bool IsDevicePath(const char* path);

// Enabled, type, filters, in that order: Applies, Disabled, Type or Filter. AppliesTo is this
// check answered yes or no.
TweakVerdict ExamineTransfer(const CTweakInfo& tweak, int type, const char* localPath);

// The checks in the order the runner makes them: enabled, type, filters, the local path's
// wildcards and devices, the program's place, then the path guard.
TweakDecision DecideTweak(const CTweakInfo& tweak, int type, const char* localPath,
                          const char* remotePath);

// DecideTweak's verdict, with the program searched for also when the tweak does not apply, for
// showing every tweak as it would start.
TweakDecision DecideTweakInFull(const CTweakInfo& tweak, int type, const char* localPath,
                                const char* remotePath);
