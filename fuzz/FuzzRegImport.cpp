// Importing a registry file that someone shared. The input is the file's bytes, as the tool reads
// them from disk. Checked for every file the import accepts: nothing was written outside the
// "Configurations" key (the keys on the way to it hold nothing new); exporting every set
// again and importing that file into an emptied registry gives the same keys and values; no key
// handle stays open. A refused file must have written nothing at all.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "ctl/CtlProgram.h"
#include "ctl/RegFile.h"
#include "ctl/RegistryDump.h"
#include "ctl/StoredSets.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/OutsideConfigurations.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/WinTypes.h"
#include "tests/common/StandIns.h"

namespace {

const char* const kShared = "C:\\in\\shared.reg";
const char* const kExported = "C:\\out\\all.reg";

struct Outcome {
    int status = -1;
    std::string text;
};

Outcome Ctl(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Outcome outcome;
    outcome.status = RunCtlProgram(args, out, err);
    outcome.text = out.str() + err.str();
    return outcome;
}

// The configurations as sorted lines "key path" and "key path | name | type | bytes", names as
// written: the same keys and values whatever the order the registry enumerates them in.
std::vector<std::string> Contents() {
    RegFile tree;
    FUZZ_CHECK(DumpRegistryTree(ConfigurationsKeyPath(), &tree), "the configurations cannot be read whole");
    std::vector<std::string> lines;
    for (const RegFileKey& key : tree.keys) {
        lines.push_back(key.path);
        for (const RegFileValue& value : key.values) {
            lines.push_back(key.path + " | " + value.name + " | " + std::to_string(value.type) + " | " +
                            FuzzEscape(std::string(value.data.begin(), value.data.end()), SIZE_MAX));
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// Above this many tweaks in a set the input is passed over: the in-memory registry's linear key
// search would make one input take seconds. The bound itself is the import's check, read here
// through the same reader.
const uint32_t kTweakLimit = 300;

bool HoldsALargeSet(const std::vector<uint8_t>& bytes) {
    RegFile file;
    RegFileError error;
    if (!ReadRegFile(bytes, &file, &error)) return false;
    for (const RegFileKey& key : file.keys) {
        for (const RegFileValue& value : key.values) {
            uint32_t count = 0;
            if (value.data.size() != sizeof count || !MemoryRegistry::SameName(value.name, "Count")) continue;
            std::memcpy(&count, value.data.data(), sizeof count);
            if (count > kTweakLimit) return true;
        }
    }
    return false;
}

const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    if (HoldsALargeSet(bytes)) return 0;
    CAppBase app;
    MemoryRegistry registry;
    MemoryFileSystem files;
    MemoryLauncher launcher;
    StandIns standIns{registry, files, launcher};
    files.Put(kShared, bytes);

    std::vector<std::optional<MemoryRegistry::Key>> before;
    for (HKEY root : kRoots) before.push_back(registry.Snapshot(root));

    const Outcome imported = Ctl({"import", kShared});
    for (size_t i = 0; i < before.size(); ++i) {
        if (imported.status != 0) {
            FUZZ_CHECK(registry.Snapshot(kRoots[i]) == before[i], "a refused file changed the registry: %s",
                       imported.text.c_str());
        } else {
            FUZZ_CHECK(Outside(registry.Snapshot(kRoots[i]), kRoots[i]) == Outside(before[i], kRoots[i]),
                       "the import wrote beside the configurations:\n%s", imported.text.c_str());
        }
    }
    if (imported.status == 0) {
        // The import writes as the user may: no write of its own names itself.
        const std::string fault = RoadValuesFault(before[3], registry.Snapshot(HKEY_USERS));
        FUZZ_CHECK(fault.empty(), "%s:\n%s", fault.c_str(), imported.text.c_str());
    }
    if (imported.status != 0) return 0;
    const std::vector<std::string> first = Contents();

    const Outcome exported = Ctl({"export", "--all", kExported});
    if (exported.status == 1) {
        // "Nothing is stored": then the import stored no value either.
        FUZZ_CHECK(std::none_of(first.begin(), first.end(),
                                [](const std::string& line) { return line.find(" | ") != std::string::npos; }),
                   "export finds nothing where the import stored:\n%s", Joined(first).c_str());
        return 0;
    }
    FUZZ_CHECK(exported.status == 0, "what the import stored cannot be exported: %s", exported.text.c_str());
    {
        MemoryRegistry emptied;
        StandIns swap{emptied};
        const Outcome again = Ctl({"import", kExported});
        FUZZ_CHECK(again.status == 0, "the import refuses its own export: %s", again.text.c_str());
        const std::vector<std::string> second = Contents();
        FUZZ_CHECK(first == second, "export and import changed the configurations:\nbefore\n%s\nafter\n%s",
                   Joined(first).c_str(), Joined(second).c_str());
        FUZZ_CHECK(emptied.OpenHandleCount() == 0, "%zu key handles left open", emptied.OpenHandleCount());
    }
    FUZZ_CHECK(registry.OpenHandleCount() == 0, "%zu key handles left open", registry.OpenHandleCount());
    return 0;
}
