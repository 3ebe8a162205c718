#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Com.h"

// Drives: the mount points the Computer folder lists, read from the mount
// table (/proc/self/mountinfo, or a file a test points the layer at).
//
// A mount is a drive when it is "/" (always listed, even when the table lacks
// it), or a block-device or network file system mounted outside /proc, /sys,
// /dev and /run (/run/media counts), or tmpfs/ramfs under /media or
// /run/media. Pseudo file systems are left out. Drives are kept in mount-path
// order (byte order); a drive's "letter" is 'A' + its index in that order.
// When a path is mounted twice, the last mount in the table wins.
//
// The drive list is read once and then cached until RefreshDrives (the
// Computer folder's SFGAO_VALIDATE, a new mount table path) re-reads it.

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;  // /sys/block/*/removable = 1, or under /media, /run/media
constexpr UINT DRIVE_FIXED = 3;      // other block devices; the overlay root
constexpr UINT DRIVE_REMOTE = 4;     // nfs, cifs, smb3, sshfs and other network file systems
constexpr UINT DRIVE_CDROM = 5;      // iso9660, udf
constexpr UINT DRIVE_RAMDISK = 6;    // tmpfs, ramfs

struct DriveInfo {
    std::string MountPath;  // unescaped ("\040" in the table is a space)
    std::string Source;     // the mounted device or share
    std::string FsType;
    std::string Label;  // the volume label, empty when it has none
    UINT Type = DRIVE_UNKNOWN;
};

// Points the layer at another mount table ("" = /proc/self/mountinfo) and
// re-reads the drives, then calls the table observer. Tests write their own
// table in mountinfo format.
void SetMountTablePath(const std::string& path);
const std::string& MountTablePath();

// Called after each SetMountTablePath, once the drives are re-read, so that a
// watch of the table can follow the new one; null for none. One observer per
// process (the device-change broadcast).
using MountTableObserver = void (*)();
void SetMountTableObserver(MountTableObserver observer);

// The drives of a mount table's text, in mount-path order.
std::vector<DriveInfo> ParseMountTable(const std::string& text);

// The drives of the current mount table, read now (the cache is not touched).
std::vector<DriveInfo> ReadCurrentDrives();

// The cached drive list, and re-reading it from the current mount table.
const std::vector<DriveInfo>& Drives();
void RefreshDrives();

// Bit i set for drive i (drives past the 32nd are not reported).
DWORD GetLogicalDrives();
// The kind of a drive named by its letter ("C:\", "C:" or "C") or by its
// mount path; DRIVE_NO_ROOT_DIR when there is no such drive.
UINT GetDriveTypeA(const std::string& root);
// The mount path of a drive letter ("C", "C:" or "C:\"); empty when none.
std::string DriveRootOf(const std::string& letter);

// Whether a mount answers statvfs within `timeoutMs` (a hung network mount
// does not). The stuck call is left behind on a thread of its own.
bool MountAnswers(const std::string& mountPath, int timeoutMs = 1000);
