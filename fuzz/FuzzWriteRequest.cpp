// A write request handed to the elevated helper: the bytes of the file that ZTTrevanelCtl apply
// reads, which a standard user can choose freely. Checked for every input: a refused request
// wrote nothing at all; an accepted one wrote nothing outside the "Configurations" key, and what
// it stored there is what the add-on itself stores (export and import give the same again); no
// key handle stays open.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "config/WriteRequest.h"
#include "ctl/CtlProgram.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/OutsideConfigurations.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "tests/common/StandIns.h"

namespace {

const char* const kRequest = "C:\\Temp\\request.tmp";
const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

int Ctl(const std::vector<std::string>& args, std::string* text) {
    std::ostringstream out, err;
    const int status = RunCtlProgram(args, out, err);
    *text = out.str() + err.str();
    return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CAppBase app;
    MemoryRegistry registry;
    MemoryFileSystem files;
    MemoryLauncher launcher;
    StandIns standIns{registry, files, launcher};
    files.Put(kRequest, std::vector<uint8_t>(data, data + size));
    // A value beside the configurations that no request may reach.
    HKEY key;
    registry.CreateKey(HKEY_USERS, ".DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel", &key);
    registry.SetValue(key, "Config Version", REG_DWORD, reinterpret_cast<const uint8_t*>("\0\0\0\0"), 4);
    registry.CloseKey(key);

    std::vector<std::optional<MemoryRegistry::Key>> before;
    for (HKEY root : kRoots) before.push_back(registry.Snapshot(root));
    std::string text;
    const int status = Ctl({"apply", kRequest}, &text);
    for (size_t i = 0; i < before.size(); ++i) {
        if (status != 0) {
            FUZZ_CHECK(registry.Snapshot(kRoots[i]) == before[i], "a refused request changed the registry: %s",
                       text.c_str());
        } else {
            FUZZ_CHECK(Outside(registry.Snapshot(kRoots[i]), kRoots[i]) == Outside(before[i], kRoots[i]),
                       "the request wrote beside the configurations:\n%s", text.c_str());
        }
    }
    if (status == 0) {
        WriteRequest request;
        FUZZ_CHECK(ReadWriteRequest(std::vector<uint8_t>(data, data + size), &request), "apply took an unreadable request");
        const std::string fault = RoadValuesFault(before[3], registry.Snapshot(HKEY_USERS));
        FUZZ_CHECK(fault.empty(), "%s:\n%s", fault.c_str(), text.c_str());
    }
    FUZZ_CHECK(registry.OpenHandleCount() == 0, "%zu key handles left open", registry.OpenHandleCount());
    if (status != 0) return 0;
    // What was stored is the add-on's own layout: an export of it imports again.
    if (Ctl({"export", "--all", "C:\\Temp\\all.reg"}, &text) == 0) {
        FUZZ_CHECK(Ctl({"import", "C:\\Temp\\all.reg"}, &text) == 0, "what apply stored is no set: %s", text.c_str());
    }
    return 0;
}
