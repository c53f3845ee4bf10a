// The process-wide platform services. The DLL uses the Win32 ones; native tests install
// in-memory ones. Which default a program gets is decided by what it links: the Win32 defaults
// (platform/win32) or the in-memory defaults (platform/memory).
#pragma once

class IRegistry;
class ILauncher;
class IModule;
class IUi;

IRegistry& GetRegistry();
ILauncher& GetLauncher();
IModule& GetModule();
IUi& GetUi();

// Replace a service for the rest of the process, or restore the default with null. The service
// must outlive its use. Not synchronised: call only while no export runs and no other thread
// uses a service (tests install their stand-ins before and remove them after). The Get
// functions may be called from any thread.
void SetRegistry(IRegistry* registry);
void SetLauncher(ILauncher* launcher);
void SetModule(IModule* module);
void SetUi(IUi* ui);

// The linked defaults; each is defined by exactly one of the two default sets.
IRegistry& DefaultRegistry();
ILauncher& DefaultLauncher();
IModule& DefaultModule();
IUi& DefaultUi();
