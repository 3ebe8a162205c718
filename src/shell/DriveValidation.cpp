#include "shell/DriveValidation.h"

#include <string>

#include "platform/Drives.h"
#include "shell/ShellEnv.h"
#include "shell/ShellError.h"
#include "shell/ShellPaths.h"

namespace {

// How long a network mount may take to answer.
constexpr int kNetDriveTimeoutMs = 1000;

}  // namespace

void ValidateDrives() {
    if (ShellEnv.DrivesValidationSuspendCount > 0)
        return;
    LPITEMIDLIST drives = nullptr;
    CheckShell(GetSpecialFolderLocation(0, CSIDL_DRIVES, &drives));
    ComPtr<IShellFolder> folder;
    HRESULT code = BindToFolder(drives, folder);
    FreeIdList(drives);
    CheckShell(code);
    ULONG attributes = SFGAO_VALIDATE;
    folder->GetAttributesOf(0, nullptr, &attributes);
}

bool IsNetDriveConnected(char letter) {
    std::string root = DriveRootOf(std::string(1, letter));
    return !root.empty() && MountAnswers(root, kNetDriveTimeoutMs);
}
