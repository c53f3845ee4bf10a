// The commands of the configuration tool and their arguments.
#include "ctl/CtlProgram.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <sstream>
#include <unordered_set>

#include "config/AppBase.h"
#include "config/HostWrite.h"
#include "config/KeyPath.h"
#include "config/SetWrite.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakSetSource.h"
#include "ctl/CtlHelp.h"
#include "ctl/RegFile.h"
#include "ctl/RegistryDump.h"
#include "ctl/RequestApply.h"
#include "ctl/RightsPrompt.h"
#include "ctl/RunHistory.h"
#include "ctl/SetCheck.h"
#include "ctl/SetImport.h"
#include "ctl/SetListing.h"
#include "ctl/StoredSets.h"
#include "ctl/TransferType.h"
#include "ctl/TweakExplain.h"
#include "ctl/TweakRunLog.h"
#include "platform/AnsiText.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/RegistryNames.h"
#include "platform/Ui.h"
#include "runner/RunRecord.h"
#include "runner/RunRecorder.h"

static_assert(kCtlOk == kApplyWritten && kCtlInterrupted == kApplyInterrupted && kCtlChangedSince == kApplyChangedSince,
              "the add-on reads apply's exit status");

namespace {

struct CommandRule {
    const char* name;
    bool profile;
    bool all;
    bool tsv;
    // --last N, --problems and --html FILE
    bool history;
    size_t minArgs;
    size_t maxArgs;
};

const CommandRule kCommands[] = {
    {"list", false, false, false, false, 0, 0},   {"show", true, false, false, false, 0, 0},
    {"explain", true, false, true, false, 2, 3},  {"run", true, false, false, false, 2, 3},
    {"check", true, false, false, false, 0, 0},   {"export", true, true, false, false, 1, 1},
    {"import", true, false, false, false, 1, 1},  {"history", true, false, true, true, 0, 0},
    {"record", false, false, false, false, 0, 1}, {kApplyCommand, false, false, false, false, 1, 1},
    {"finish", false, false, false, false, 0, 0},
};

struct Arguments {
    const CommandRule* rule = nullptr;
    bool help = false;
    bool hasProfile = false;
    std::string profile;
    bool all = false;
    bool tsv = false;
    bool problems = false;
    size_t last = 0;
    bool hasHtml = false;
    std::string html;
    bool discard = false;
    bool add = false;
    std::vector<std::string> rest;
    std::istream* console = nullptr;
};

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "/?"; }

// False with *message for wrong usage.
bool Parse(const std::vector<std::string>& args, Arguments* parsed, std::string* message) {
    for (const CommandRule& rule : kCommands) {
        if (args[0] == rule.name) parsed->rule = &rule;
    }
    if (parsed->rule == nullptr) {
        *message = "unknown command \"" + args[0] + "\"";
        return false;
    }
    const CommandRule& rule = *parsed->rule;
    bool optionsEnd = false;
    std::vector<std::string> given;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !optionsEnd && arg.size() > 2 && arg.compare(0, 2, "--") == 0 && !IsHelp(arg);
        // An option given twice would leave one of the two unused without a word.
        if (option && std::find(given.begin(), given.end(), arg) != given.end()) {
            *message = arg + " given twice";
            return false;
        }
        if (option) given.push_back(arg);
        if (optionsEnd || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (IsHelp(arg) && !optionsEnd) {
                parsed->help = true;
            } else {
                parsed->rest.push_back(arg);
            }
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (IsHelp(arg)) {
            parsed->help = true;
        } else if (arg == "--profile" && rule.profile) {
            if (++i >= args.size()) {
                *message = "--profile needs a profile name";
                return false;
            }
            parsed->hasProfile = true;
            parsed->profile = args[i];
        } else if (arg == "--all" && rule.all) {
            parsed->all = true;
        } else if (arg == "--tsv" && rule.tsv) {
            parsed->tsv = true;
        } else if (arg == "--problems" && rule.history) {
            parsed->problems = true;
        } else if (arg == "--last" && rule.history) {
            const std::string number = ++i < args.size() ? args[i] : std::string();
            char* end = nullptr;
            const unsigned long long n = std::strtoull(number.c_str(), &end, 10);
            if (number.empty() || number[0] < '0' || number[0] > '9' || *end != '\0' || n == 0 || n > 1000000000ull) {
                *message = "--last needs a number of transfers from 1 on";
                return false;
            }
            parsed->last = static_cast<size_t>(n);
        } else if (arg == "--discard" && std::string(rule.name) == "finish") {
            parsed->discard = true;
        } else if (arg == "--add" && std::string(rule.name) == "import") {
            parsed->add = true;
        } else if (arg == "--html" && rule.history) {
            if (++i >= args.size()) {
                *message = "--html needs a file name";
                return false;
            }
            parsed->hasHtml = true;
            parsed->html = args[i];
        } else {
            *message = std::string(rule.name) + " does not take " + arg;
            return false;
        }
    }
    if (parsed->help) return true;
    if (parsed->all && parsed->hasProfile) {
        *message = "export takes --profile or --all, not both";
        return false;
    }
    if (parsed->tsv && parsed->hasHtml) {
        *message = "history takes --tsv or --html, not both";
        return false;
    }
    if (parsed->rest.size() < rule.minArgs || parsed->rest.size() > rule.maxArgs) {
        *message = std::string(rule.name) + " takes " +
                   (rule.minArgs == rule.maxArgs ? std::to_string(rule.minArgs)
                                                 : std::to_string(rule.minArgs) + " to " + std::to_string(rule.maxArgs)) +
                   (rule.maxArgs == 1 ? " argument" : " arguments") + ", not " + std::to_string(parsed->rest.size());
        return false;
    }
    return true;
}

int Usage(const std::string& command, const std::string& message, std::ostream& err) {
    err << "ZTTrevanelCtl: " << message << "\n\n" << CtlHelpText(command);
    return kCtlUsage;
}

// The keys of one stored set: the set key and its tweak keys, without profiles nested below it.
// A key belongs to a tweak key when the name right below the set key is one of them, which is
// looked up, so that a set of any size is picked out in linear time.
RegFile SetKeys(const RegFile& tree, const std::string& keyPath) {
    RegFile keys;
    for (const StoredSet& set : FindStoredSets(tree).sets) {
        if (!IsSameKeyPath(set.keyPath, keyPath)) continue;
        const size_t depth = KeyPathParts(set.keyPath).size();
        std::unordered_set<std::string> tweakNames;
        for (const StoredTweakKey& tweak : set.tweaks) {
            std::string tweakPath;
            KeyPathBelowUsers(tweak.key->path, &tweakPath);
            tweakNames.insert(FoldRegistryName(KeyPathParts(tweakPath).back()));
        }
        for (const RegFileKey& key : tree.keys) {
            std::string path;
            if (!KeyPathBelowUsers(key.path, &path)) continue;
            const std::vector<std::string> parts = KeyPathParts(path);
            const bool wanted = &key == set.key ||
                                (parts.size() > depth && IsKeyPathWithin(path, set.keyPath) &&
                                 tweakNames.count(FoldRegistryName(parts[depth])) > 0);
            if (wanted) keys.keys.push_back(key);
        }
    }
    return keys;
}

int Export(const Arguments& args, std::ostream& out, std::ostream& err) {
    RegFile file;
    std::string described;
    if (args.all) {
        if (!DumpRegistryTree(ConfigurationsKeyPath(), &file)) {
            err << "ZTTrevanelCtl: the configurations could not be read whole\n";
            return kCtlFile;
        }
        described = "every set";
    } else {
        CTweakConfig set(args.profile.c_str());
        const ConfigurationView view;
        const TweakSetSource source = FindTweakSetSource(set, &view);
        if (!args.profile.empty() && !source.own) {
            err << "ZTTrevanelCtl: " << DescribeSet(args.profile)
                << " has no configuration of its own; it uses the global one (export without --profile)\n";
            return kCtlFound;
        }
        RegFile tree;
        if (!DumpRegistryTree(source.keyPath, &tree)) {
            err << "ZTTrevanelCtl: HKEY_USERS\\" << source.keyPath << " could not be read whole\n";
            return kCtlFile;
        }
        file = SetKeys(tree, source.keyPath);
        described = DescribeSet(args.profile);
    }
    if (file.keys.empty()) {
        err << "ZTTrevanelCtl: nothing is stored for " << described << "\n";
        return kCtlFound;
    }
    std::string errorText;
    if (!GetFileSystem().WriteFile(args.rest[0], WriteRegFile(file), &errorText)) {
        err << "ZTTrevanelCtl: cannot write " << args.rest[0] << ": " << errorText << "\n";
        return kCtlFile;
    }
    out << "Wrote " << described << " (" << file.keys.size() << (file.keys.size() == 1 ? " key" : " keys")
        << ") to " << args.rest[0] << "\n";
    return kCtlOk;
}

int Import(const Arguments& args, std::ostream& out, std::ostream& err) {
    const std::string& path = args.rest[0];
    std::vector<uint8_t> bytes;
    if (!ReadInputFile(path, &bytes, err)) return kCtlFile;
    RegFile file;
    RegFileError error;
    std::vector<ImportedSet> sets;
    if (!ReadRegFile(bytes, &file, &error) ||
        !ReadImportedSets(file, args.hasProfile ? &args.profile : nullptr, &sets, &error)) {
        err << path << (error.line > 0 ? ":" + std::to_string(error.line) : std::string()) << ": "
            << error.message << "\nNothing was written.\n";
        return kCtlFile;
    }
    // --add: the tweaks a set holds of its own come first, then the file's. A profile that runs
    // the global set gets the file's tweaks alone, as without --add.
    for (ImportedSet& set : sets) {
        if (!args.add) break;
        CTweakConfig stored(set.config->m_strProfile.c_str());
        // The set, and which set the profile runs (as sessions read it, a pending write's sets in
        // place), from one state of the store.
        bool own = true;
        if (!ReadConsistently([&](const ConfigurationView& view) {
                if (!stored.Load()) return false;
                const TweakSetSource source = FindTweakSetSource(stored, &view);
                own = stored.m_strProfile.empty() || source.own;
                return source.readable;
            })) {
            err << "ZTTrevanelCtl: the stored " << DescribeSet(stored.m_strProfile)
                << " could not be read, so nothing can be added to it.\nNothing was written.\n";
            return kCtlFile;
        }
        if (!own) continue;
        std::vector<CTweakInfo*>& tweaks = set.config->m_arrTweaks;
        tweaks.insert(tweaks.begin(), stored.m_arrTweaks.begin(), stored.m_arrTweaks.end());
        stored.m_arrTweaks.clear();
        if (tweaks.size() > static_cast<size_t>(CTweakConfig::kMaxTweaks)) {
            err << "ZTTrevanelCtl: the " << DescribeSet(stored.m_strProfile) << " would hold " << tweaks.size()
                << " tweaks, more than the " << CTweakConfig::kMaxTweaks << " a set can hold.\nNothing was written.\n";
            return kCtlFile;
        }
    }
    std::vector<const CTweakConfig*> configs;
    for (const ImportedSet& set : sets) configs.push_back(set.config.get());
    SetWriteResult result = ReplaceStoredSets(configs);
    if (result == SetWriteResult::kDenied) {
        if (!OfferConsent(args.console, err)) return kCtlRights;
        // As the tweak list's OK saves: the elevated helper checks and writes the sets.
        result = SaveStoredSets(configs);
        if (result == SetWriteResult::kDenied) {
            err << "ZTTrevanelCtl: nothing was written; the consent was declined, or the elevated write failed.\n";
            return kCtlRights;
        }
    }
    if (result == SetWriteResult::kUnchanged) {
        // The tweak list's own words for a refused save.
        err << "ZTTrevanelCtl: the configuration could not be stored: nothing was changed.\nCheck that you may "
            << "write to the registry key HKEY_USERS\\" << kConfigRoot << " and run the program as administrator "
            << "if needed; another program may also have been writing the configuration for longer than "
            << kTurnWaitMs / 1000 << " s.\n";
        return kCtlFile;
    }
    if (result == SetWriteResult::kInterrupted) {
        err << "ZTTrevanelCtl: the configuration could not be stored: the write was interrupted and is completed "
            << "by the next program that reads or writes the configuration (HKEY_USERS\\" << kConfigRoot
            << kPendingWriteKey << ").\n";
        return kCtlFile;
    }
    for (const ImportedSet& set : sets) {
        out << "Stored " << DescribeSet(set.config->m_strProfile) << ": " << set.config->m_arrTweaks.size()
            << (set.config->m_arrTweaks.size() == 1 ? " tweak" : " tweaks") << " at HKEY_USERS\\"
            << set.config->GetKeyPath(0) << "\n";
    }
    return kCtlOk;
}

// The record's folder, or empty after telling why there is none.
std::string RecordFolder(std::ostream& err) {
    const std::string folder = RunRecordFolder();
    if (folder.empty()) err << "ZTTrevanelCtl: the system names no local application data folder for this user, so there is no run record\n";
    return folder;
}

int History(const Arguments& args, std::ostream& out, std::ostream& err) {
    const std::string folder = RecordFolder(err);
    if (folder.empty()) return kCtlFile;
    HistoryQuery query;
    query.hasProfile = args.hasProfile;
    query.profile = args.profile;
    query.problems = args.problems;
    query.last = args.last;
    const std::vector<RecordedTransfer> transfers = SelectTransfers(ReadRunRecords(folder), query);
    const std::string file = RunRecordFile(folder);
    const bool german = IsGermanLanguage(GetUi().UserUiLanguage());
    if (args.hasHtml) {
        const std::string page = HistoryPage(transfers, AnsiTextToUtf8(file), IsRunRecordOn(), german);
        std::string errorText;
        if (!GetFileSystem().WriteFile(args.html, std::vector<uint8_t>(page.begin(), page.end()), &errorText)) {
            err << "ZTTrevanelCtl: cannot write " << args.html << ": " << errorText << "\n";
            return kCtlFile;
        }
        out << "Wrote " << transfers.size() << (transfers.size() == 1 ? " transfer" : " transfers") << " to " << args.html << "\n";
        return kCtlOk;
    }
    if (args.tsv) {
        PrintHistoryTsv(transfers, out);
        return kCtlOk;
    }
    const bool on = IsRunRecordOn();
    const bool chosen = args.hasProfile || args.problems;
    if (german) {
        out << "Das Protokoll dieses Windows-Benutzers: " << file
            << (on ? "" : Utf8ToAnsiText(" (ausgeschaltet: neue Übertragungen werden nicht notiert; ZTTrevanelCtl record on)"))
            << "\n";
        if (transfers.empty()) out << Utf8ToAnsiText(chosen ? "Keine passende Übertragung ist notiert." : "Keine Übertragung ist notiert.") << "\n";
    } else {
        out << "The run record of this Windows user: " << file
            << (on ? "" : " (off: new transfers are not recorded; ZTTrevanelCtl record on)") << "\n";
        if (transfers.empty()) out << "No transfer is recorded" << (chosen ? " that matches." : ".") << "\n";
    }
    PrintHistory(transfers, out, german);
    return kCtlOk;
}

int Record(const Arguments& args, std::ostream& out, std::ostream& err) {
    const std::string where = std::string("HKEY_CURRENT_USER\\") + kRunRecordKey + ", value \"" + kRunRecordValue + "\"";
    const std::string what = args.rest.empty() ? std::string() : args.rest[0];
    if (what == "on" || what == "off") {
        if (!SetRunRecordOn(what == "on")) {
            err << "ZTTrevanelCtl: the switch could not be stored at " << where << "\n";
            return kCtlFile;
        }
        out << "The run record is " << what << " for this Windows user (" << where
            << "); a host process follows it from its next session on.\n";
        return kCtlOk;
    }
    const std::string folder = RecordFolder(err);
    if (folder.empty()) return kCtlFile;
    if (what == "clear") {
        if (!ClearRunRecord(folder)) {
            err << "ZTTrevanelCtl: the run record could not be deleted: " << RunRecordFile(folder) << "\n";
            return kCtlFile;
        }
        out << "Cleared the run record: " << RunRecordFile(folder) << "\n";
        return kCtlOk;
    }
    if (!what.empty()) return Usage("record", "record takes on, off or clear, not \"" + what + "\"", err);
    out << "The run record is " << (IsRunRecordOn() ? "on" : "off") << " for this Windows user (" << where
        << ").\nIt is kept in " << RunRecordFile(folder) << " and " << PreviousRunRecordFile(folder) << ".\n";
    return kCtlOk;
}

int Transfer(const Arguments& args, std::ostream& out, std::ostream& err) {
    int type = 0;
    if (!ParseTransferType(args.rest[0], &type)) {
        return Usage(args.rule->name, "\"" + args.rest[0] + "\" is no transfer type", err);
    }
    const std::string remote = args.rest.size() > 2 ? args.rest[2] : std::string();
    if (std::string(args.rule->name) == "explain") {
        ExplainTransfer(args.profile, type, args.rest[1], remote, args.tsv, out);
        return kCtlOk;
    }
    CTweakConfig set(args.profile.c_str());
    set.Load();
    if (!set.m_arrTweaks.empty()) out << DescribeEnvironment(type, args.rest[1], remote, set.m_strProfile);
    const std::string folder = IsRunRecordOn() ? RunRecordFolder() : std::string();
    CRunRecorder recorder(folder, set.m_strProfile, type, args.rest[1].c_str(), remote.c_str(), true);
    CTweakRunLog log(set, out, folder.empty() ? nullptr : &recorder);
    set.RunTweaks(type, args.rest[1].c_str(), remote.c_str(), &log);
    out << log.StartedCount() << " started, " << log.NotStartedCount() << " could not start\n";
    return log.NotStartedCount() > 0 ? kCtlFound : kCtlOk;
}

int RunCommand(const Arguments& parsed, std::ostream& out, std::ostream& err) {
    const std::string command = parsed.rule->name;
    if (command == "list") return ListStoredSets(out) ? kCtlOk : kCtlFile;
    if (command == "show") {
        ShowTweakSet(parsed.profile, out);
        return kCtlOk;
    }
    if (command == "check") return CheckSets(parsed.hasProfile ? &parsed.profile : nullptr, out) ? kCtlFound : kCtlOk;
    if (command == "export") return Export(parsed, out, err);
    if (command == "import") return Import(parsed, out, err);
    if (command == "history") return History(parsed, out, err);
    if (command == "record") return Record(parsed, out, err);
    if (command == kApplyCommand) return ApplyRequestFile(parsed.rest[0], out, err);
    if (command == "finish") return Finish(parsed.discard, out, err);
    return Transfer(parsed, out, err);
}

}  // namespace

bool ReadInputFile(const std::string& path, std::vector<uint8_t>* bytes, std::ostream& err) {
    std::string errorText;
    if (GetFileSystem().ReadFile(path, bytes, &errorText)) return true;
    err << "ZTTrevanelCtl: cannot read " << path << ": " << errorText << "\n";
    return false;
}

int RunCtlProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  std::istream* console) {
    if (args.empty()) return Usage("", "no command given", err);
    if (IsHelp(args[0]) || args[0] == "help") {
        const char* text = CtlHelpText(args.size() > 1 ? args[1] : "");
        if (text == nullptr) return Usage("", "unknown command \"" + args[1] + "\"", err);
        out << text;
        return kCtlOk;
    }
    Arguments parsed;
    parsed.console = console;
    std::string message;
    if (!Parse(args, &parsed, &message)) {
        return Usage(parsed.rule ? parsed.rule->name : "", message, err);
    }
    const std::string command = parsed.rule->name;
    if (parsed.help) {
        out << CtlHelpText(command);
        return kCtlOk;
    }
    // A file or a registry far larger than memory ends the command with a word and status 3, not
    // with the runtime's abort.
    try {
        // What these read is one state of the configuration: they run again when a write landed
        // while they read. They take no lock, so a slow one (a program search on a share that
        // does not answer) keeps no writer waiting; their words are held back until a run read
        // one state.
        if (command == "list" || command == "show" || command == "check" || command == "export" ||
            command == "explain") {
            std::string heldOut, heldErr;
            int status = kCtlFile;
            const bool read = ReadConsistently([&](const ConfigurationView& view) {
                std::ostringstream runOut, runErr;
                status = RunCommand(parsed, runOut, runErr);
                heldOut = runOut.str();
                heldErr = runErr.str();
                if (view.WritePending()) {
                    heldErr += "A committed write of the configuration is not yet in place (HKEY_USERS\\" +
                               std::string(kConfigRoot) + kPendingWriteKey +
                               "); sessions and this command read its sets as written, and the next write "
                               "puts it in place.\n";
                }
                return true;
            });
            out << heldOut;
            err << heldErr;
            if (!read) {
                err << "ZTTrevanelCtl: the configuration was written again and again while " << command
                    << " read it; try again\n";
                return kCtlFile;
            }
            return status;
        }
        return RunCommand(parsed, out, err);
    } catch (const std::bad_alloc&) {
        err << "ZTTrevanelCtl: not enough memory to finish " << command << "\n";
        return kCtlFile;
    }
}

