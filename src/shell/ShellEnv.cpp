#include "shell/ShellEnv.h"

#include "shell/DeviceChangeHandler.h"

TShellEnv ShellEnv;

namespace {

// Size preset in OSVERSIONINFOA before asking for the version.
constexpr DWORD kOsVersionInfoSize = 148;

TLibraryVersion LibraryVersion(const char* library) {
    VS_FIXEDFILEINFO info{};
    if (!GetSystemLibraryVersion(library, info))
        return TLibraryVersion{};
    return TLibraryVersion{info.dwFileVersionLS, info.dwFileVersionMS};
}

}  // namespace

void InitShellEnv() {
    CoInitialize(nullptr);
    ShellEnv.OsVersion = OSVERSIONINFOA{};
    ShellEnv.OsVersion.dwOSVersionInfoSize = kOsVersionInfoSize;
    GetVersionExA(&ShellEnv.OsVersion);
    SHGetMalloc(ShellEnv.ShellAllocator.Put());
    ShellEnv.ComCtlVersion = LibraryVersion("comctl32.dll");
    ShellEnv.ShellVersion = LibraryVersion("shell32.dll");
}

void DoneShellEnv() {
    delete ShellEnv.DeviceChangeHandler;
    ShellEnv.DeviceChangeHandler = nullptr;
    ShellEnv.ShellAllocator.Reset();
    CoUninitialize();
}

bool SystemIsNT() {
    return ShellEnv.OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
