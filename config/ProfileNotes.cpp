// The per-user notes of profile changes whose set could not follow.
#include "config/ProfileNotes.h"

#include "config/AppBase.h"
#include "config/OpenKeys.h"
#include "config/RegistryEnum.h"
#include "config/RegistryValues.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

const char* const kDeclinedRenameFromValue = "Declined Rename From";
const char* const kDeclinedRenameToValue = "Declined Rename To";
const char* const kDeclinedDeletesKey = "Declined Deletes";

namespace {

std::string DeletesKey() { return std::string(kUserKey) + "\\" + kDeclinedDeletesKey; }

}  // namespace

void NoteDeclinedRename(const std::string& from, const std::string& to) {
    WriteRegString(HKEY_CURRENT_USER, kUserKey, kDeclinedRenameFromValue, from.c_str());
    WriteRegString(HKEY_CURRENT_USER, kUserKey, kDeclinedRenameToValue, to.c_str());
}

bool LastDeclinedRename(DeclinedRename* rename) {
    rename->from = ReadRegString(HKEY_CURRENT_USER, kUserKey, kDeclinedRenameFromValue, "");
    rename->to = ReadRegString(HKEY_CURRENT_USER, kUserKey, kDeclinedRenameToValue, "");
    return !rename->from.empty() && !rename->to.empty();
}

void ForgetDeclinedRename() {
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    if (registry.OpenKeyToWrite(HKEY_CURRENT_USER, kUserKey, key.Out()) != ERROR_SUCCESS) return;
    registry.DeleteValue(key.Get(), kDeclinedRenameFromValue);
    registry.DeleteValue(key.Get(), kDeclinedRenameToValue);
}

void ForgetDeclinedRenameTo(const std::string& profileName) {
    DeclinedRename rename;
    if (LastDeclinedRename(&rename) && IsSameRegistryName(rename.to, profileName)) ForgetDeclinedRename();
}

void NoteDeclinedDelete(const std::string& profileName) {
    WriteRegDword(HKEY_CURRENT_USER, DeletesKey().c_str(), profileName.c_str(), 1);
}

std::vector<std::string> DeclinedDeletes() {
    std::vector<std::string> names;
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    if (registry.OpenKey(HKEY_CURRENT_USER, DeletesKey().c_str(), key.Out()) != ERROR_SUCCESS) return names;
    EnumeratedValue value;
    for (uint32_t i = 0; EnumValueWhole(registry, key.Get(), i, &value) == ERROR_SUCCESS; ++i) names.push_back(value.name.data());
    return names;
}
