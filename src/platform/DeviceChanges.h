#pragma once

#include <cstdint>

#include "framework/Messages.h"

// Device arrival and removal, as the system's broadcast to windows: when the
// set of drives in the mount table changes, every registered window is sent
// WM_DEVICECHANGE (synchronously, on the user-interface thread) with
// wParam DBT_DEVICEARRIVAL for each new drive and DBT_DEVICEREMOVECOMPLETE for
// each vanished one, lParam 0.
//
// The mount table is watched while at least one window is registered:
// /proc/self/mountinfo by POLLPRI, a test's table file by file-change
// notification. A new mount table path (SetMountTablePath) is followed: while
// windows are registered the new table is watched, and its drives become the
// ones seen last, so the switch itself sends nothing. Everything here runs on
// the user-interface thread.

constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
constexpr std::uintptr_t DBT_DEVICEARRIVAL = 0x8000;
constexpr std::uintptr_t DBT_DEVICEREMOVECOMPLETE = 0x8004;

// The window must stay alive until it is unregistered.
void RegisterDeviceChangeWindow(MessageWindow* window);
void UnregisterDeviceChangeWindow(MessageWindow* window);

// Compares the mount table with the drives seen last and sends the messages
// for the differences now; returns how many were sent. The watch calls this;
// tests may call it directly.
int CheckMountTableNow();
