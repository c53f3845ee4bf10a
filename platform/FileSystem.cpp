// The current file service: the linked default until a test installs its own.
#include "platform/FileSystem.h"

namespace {
IFileSystem* g_fileSystem = nullptr;
}

IFileSystem& GetFileSystem() { return g_fileSystem ? *g_fileSystem : DefaultFileSystem(); }

void SetFileSystem(IFileSystem* fileSystem) { g_fileSystem = fileSystem; }
