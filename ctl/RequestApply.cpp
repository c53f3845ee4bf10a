// Checking and making a write request handed over by the host.
#include "ctl/RequestApply.h"

#include <vector>

#include "config/AppBase.h"
#include "config/HostWrite.h"
#include "config/KeyPath.h"
#include "config/SetParts.h"
#include "config/StoreAccess.h"
#include "config/TweakConfig.h"
#include "ctl/CtlProgram.h"
#include "ctl/RegFile.h"
#include "ctl/RegistryDump.h"
#include "ctl/RightsPrompt.h"
#include "ctl/SetImport.h"
#include "platform/FileSystem.h"

namespace {

std::string Describe(SetWriteResult result) {
    switch (result) {
    case SetWriteResult::kWritten: return "written";
    case SetWriteResult::kInterrupted:
        return std::string("saved; sessions read it as written, and the next write (or finish) puts it in place (HKEY_USERS\\") +
               kConfigRoot + kPendingWriteKey + ")";
    case SetWriteResult::kDenied: return "the registry refused it for want of rights";
    case SetWriteResult::kNoTurn:
        return "the writers' turn could not be had (this system offers none that only administrators may take, "
               "or another program has taken its name): nothing was written";
    case SetWriteResult::kChangedSince: return "a set was changed after the request was made; nothing was written";
    case SetWriteResult::kUnchanged: break;
    }
    return "the registry refused it, or another program was writing the configuration for longer than " +
           std::to_string(kTurnWaitMs / 1000) + " s";
}

void Tell(const std::vector<std::string>& notes, std::ostream& out) {
    for (const std::string& note : notes) out << note << "\n";
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
    std::string errorText;
    // The file comes from a process with fewer rights: nothing beyond a plain local file is read.
    if (!GetFileSystem().ReadLocalPlainFile(path, kMaxRequestBytes, &bytes, &errorText)) {
        err << path << ": " << errorText << "\nNothing was written.\n";
        return kCtlFile;
    }
    WriteRequest request;
    std::string problem;
    if (!ReadWriteRequest(bytes, &request)) problem = "it is no write request of the add-on";
    if (problem.empty()) CheckWriteRequest(&request, &problem);
    if (!problem.empty()) {
        err << path << ": " << problem << "\nNothing was written.\n";
        return kCtlFound;
    }
    std::vector<std::string> notes;
    const SetWriteResult result = ApplyWriteRequest(request, &notes);
    (result == SetWriteResult::kWritten ? out : err)
        << "The configuration write of " << request.steps.size() << (request.steps.size() == 1 ? " step" : " steps")
        << ": " << Describe(result) << "\n";
    Tell(notes, out);
    return StatusOf(result);
}

int Finish(bool discard, std::ostream& out, std::ostream& err) {
    if (discard) {
        size_t count = 0;
        SetWriteResult failure = SetWriteResult::kUnchanged;
        const bool done = DiscardSetAsideWrites(&count, &failure);
        out << "Set-aside writes removed: " << count << "\n";
        if (done) return kCtlOk;
        err << "Not every set-aside write could be removed: " << Describe(failure) << "\n";
        return failure == SetWriteResult::kDenied ? kCtlRights : StatusOf(failure);
    }
    // What a writer that ended left is finished by the next one: here, this one.
    const ConfigurationTurn turn;
    std::vector<std::string> notes;
    AddTurnNotes(turn, &notes);
    Tell(notes, out);
    if (turn.Settled()) {
        out << "No write is left unfinished.\n";
        return kCtlOk;
    }
    err << "A write that a program left unfinished stays so: " << Describe(turn.Failure()) << "\n";
    return turn.Failure() == SetWriteResult::kDenied ? kCtlRights : StatusOf(turn.Failure());
}
