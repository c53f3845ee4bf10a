// Checking and making a write request handed over by the host.
#include "ctl/RequestApply.h"

#include <vector>

#include "config/AppBase.h"
#include "config/HostWrite.h"
#include "config/KeyPath.h"
#include "config/SetParts.h"
#include "config/TweakConfig.h"
#include "ctl/CtlProgram.h"
#include "ctl/RegFile.h"
#include "ctl/RegistryDump.h"
#include "ctl/SetImport.h"

namespace {

std::string Describe(SetWriteResult result) {
    switch (result) {
    case SetWriteResult::kWritten: return "written";
    case SetWriteResult::kInterrupted:
        return std::string("interrupted; the next program that reads or writes the configuration completes it (HKEY_USERS\\") +
               kConfigRoot + kPendingWriteKey + ")";
    case SetWriteResult::kDenied: return "the registry refused it for want of rights";
    case SetWriteResult::kChangedSince: return "a set was changed after the request was made; nothing was written from there on";
    case SetWriteResult::kUnchanged: break;
    }
    return "the registry refused it, or another program was writing the configuration for longer than " +
           std::to_string(kTurnWaitMs / 1000) + " s";
}

int StatusOf(SetWriteResult result) {
    if (result == SetWriteResult::kWritten) return kCtlOk;
    if (result == SetWriteResult::kChangedSince) return kCtlChangedSince;
    return result == SetWriteResult::kInterrupted ? kCtlInterrupted : kCtlFile;
}

}  // namespace

bool CheckWriteRequest(WriteRequest* request, std::string* problem) {
    for (size_t i = 0; i < request->steps.size(); ++i) {
        WriteStep& step = request->steps[i];
        if (step.kind != WriteStep::Kind::kStore) continue;
        RegFile file;
        AppendSnapshot(step.keyPath, step.parts, &file);
        RegFileError error;
        std::vector<ImportedSet> sets;
        const bool read = ReadImportedSets(file, nullptr, &sets, &error);
        if (!read || sets.size() != 1 || !IsSameKeyPath(sets[0].config->GetKeyPath(0), step.keyPath)) {
            *problem = "step " + std::to_string(i + 1) + ", the set at HKEY_USERS\\" + step.keyPath + ": " +
                       (read ? std::string("it holds more than one set") : error.message);
            return false;
        }
        step.parts = SetPartsOf(*sets[0].config);
    }
    return true;
}

int ApplyRequestFile(const std::string& path, std::ostream& out, std::ostream& err) {
    std::vector<uint8_t> bytes;
    if (!ReadInputFile(path, &bytes, err)) return kCtlFile;
    WriteRequest request;
    std::string problem;
    if (!ReadWriteRequest(bytes, &request)) problem = "it is no write request of the add-on";
    if (problem.empty()) CheckWriteRequest(&request, &problem);
    if (!problem.empty()) {
        err << path << ": " << problem << "\nNothing was written.\n";
        return kCtlFound;
    }
    const SetWriteResult result = ApplyWriteRequest(request);
    (result == SetWriteResult::kWritten ? out : err)
        << "The configuration write of " << request.steps.size() << (request.steps.size() == 1 ? " step" : " steps")
        << ": " << Describe(result) << "\n";
    return StatusOf(result);
}

int FinishKeptChanges(std::ostream& out, std::ostream& err) {
    const size_t kept = KeptProfileChanges().steps.size();
    if (kept == 0) {
        out << "No profile change is waiting.\n";
        return kCtlOk;
    }
    // As the host makes its writes: here, or with the consent of an administrator.
    const SetWriteResult result = WriteAsHost(WriteRequest());
    (result == SetWriteResult::kWritten ? out : err)
        << "The " << kept << (kept == 1 ? " profile change" : " profile changes") << " that FTP Zorvant kept: "
        << (result == SetWriteResult::kDenied ? std::string("not made; the consent was declined, or the elevated write failed")
                                              : Describe(result))
        << "\n";
    return StatusOf(result);
}
