#pragma once

// The drives as the shell layer sees them.

// Makes the Computer folder re-read its drives, unless validation is suspended
// (ShellEnv.DrivesValidationSuspendCount > 0). Raises EShellError when the
// folder cannot be had.
void ValidateDrives();

// Whether the network drive with this letter is connected: its mount answers
// within one second. False for a letter that names no drive.
bool IsNetDriveConnected(char letter);
