#pragma once

#include <cstdint>

#include "platform/ShellAllocator.h"
#include "platform/ShellServices.h"

class TRzDeviceChangeHandler;

// The shell layer's process-wide state, filled once at start-up on the
// user-interface thread and torn down at program end.

// A library's file version, as its version resource gives it; both halves 0
// when it cannot be read.
struct TLibraryVersion {
    DWORD LS = 0;
    DWORD MS = 0;
};

struct TShellEnv {
    OSVERSIONINFOA OsVersion{};
    TLibraryVersion ComCtlVersion;
    TLibraryVersion ShellVersion;
    // Every item id list is allocated and freed through this allocator.
    ComPtr<IMalloc> ShellAllocator;
    // Whether the shared and link overlays are in the system image lists.
    bool OverlaysInstalled = false;
    // Made by TRzDeviceChangeHandler::Get on first use; owned here.
    TRzDeviceChangeHandler* DeviceChangeHandler = nullptr;
    // While above zero, ValidateDrives does nothing.
    int DrivesValidationSuspendCount = 0;
};

extern TShellEnv ShellEnv;

// Start-up: initialises COM, then fills the OS version, the allocator and the
// two library versions.
void InitShellEnv();
// Program end: destroys the device-change handler, drops the allocator and
// uninitialises COM.
void DoneShellEnv();

// The shell environment for a program's run: InitShellEnv when made,
// DoneShellEnv when it goes. A program makes it right after its application
// object, so that the device-change handler's window goes before that.
class TShellEnvScope {
  public:
    TShellEnvScope() { InitShellEnv(); }
    ~TShellEnvScope() { DoneShellEnv(); }
    TShellEnvScope(const TShellEnvScope&) = delete;
    TShellEnvScope& operator=(const TShellEnvScope&) = delete;
};

// Whether the OS version names an NT-class system (platform id 2).
bool SystemIsNT();
