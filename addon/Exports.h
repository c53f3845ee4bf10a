// The ten functions the host calls, with their fixed ordinals in ZTTrevanelAddon.def.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

extern "C" {
void WINAPI ZTAddOnConfigure(const char* profileName);
void WINAPI ZTAddOnProfileNameChange(const char* oldName, const char* newName);
void WINAPI ZTAddOnProfileDeleted(const char* profileName);
void WINAPI ZTAddOnName(char* buffer, uint32_t size);
void WINAPI ZTAddOnSessionCreate(void* hSession, const char* profileName);
int WINAPI ZTAddOnFileDownloadedTweak(void* hSession, int type, const char* remotePath,
                                      const char* localPath, uint32_t unused);
int WINAPI ZTAddOnFileUploadTweak(void* hSession, int type, const char* localPath,
                                  uint32_t unused1, const char* remotePath, uint32_t unused2);
void WINAPI ZTAddOnSessionDestroy(void* hSession);
void WINAPI ZTAddOnInstall(const char* folder);
int WINAPI ZTAddOnUninstall(uint32_t unused1, uint32_t unused2);
}
