#pragma once
// Whether this user may open a serial device, and what to tell them when not.
//
// Every open of a serial device goes through openDevice(), so a test can stand in a device whose
// open is refused: root opens everything, so a refused permission cannot be staged any other way.

#include <string>

namespace tarvola {

using DeviceOpenFunction = int (*)(const char* path, int flags);

// open(2), or the function a test put in its place. Returns the descriptor, or -1 with errno set.
int openDevice(const char* path, int flags);
// Puts `open` in place of open(2) (nullptr: open(2) again) and returns the one it replaces. For
// tests; not safe while another thread opens a device.
DeviceOpenFunction replaceDeviceOpen(DeviceOpenFunction open);

// True for the errno values that mean the user may not open the device (EACCES, EPERM).
bool isPermissionError(int err);
// 0 when the device opens for reading and writing (it is closed again at once), else the errno of
// the refusal (EACCES, EBUSY, ENOENT, ...).
int probePortAccess(const std::string& path);
// The name of the group that owns the device ("dialout", "uucp"); the group's number when it has no
// name, empty when the device cannot be looked at.
std::string deviceGroup(const std::string& path);
// For a device this user may not open, in the current language: the port is refused, the group to
// join and the command that does it, and that the membership counts from the next login. The group
// is the device's own when that group may read and write it, else "dialout".
std::string portPermissionMessage(const std::string& path);

} // namespace tarvola
