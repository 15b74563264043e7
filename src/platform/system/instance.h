// The single-instance marker of a program on the emulated machine (Windows'
// named file mapping), and the way a second copy asks the first to bring its
// page to the front (FindWindowA + SetForegroundWindow).
//
// The marker is a lock per machine root (by device and inode: any path to the
// same directory is the same machine) and name, in a directory of the user's
// own, held for the life of the process; beside it the first copy listens on
// a local socket for "come to the front" requests, which the user-interface
// backend serves.
#pragma once

#include <string_view>

#include "platform/base/win_types.h"

namespace w95 {

class InstanceMarker {
 public:
  InstanceMarker() = default;
  InstanceMarker(int lockFd, int listenFd) : lockFd_(lockFd), listenFd_(listenFd) {}
  ~InstanceMarker();
  InstanceMarker(InstanceMarker&& other) noexcept;
  InstanceMarker& operator=(InstanceMarker&& other) noexcept;

  bool Valid() const { return lockFd_ >= 0; }
  explicit operator bool() const { return Valid(); }

 private:
  int lockFd_ = -1;
  int listenFd_ = -1;
};

// CreateFileMappingA(INVALID_HANDLE_VALUE, ..., name) for the current machine:
// a valid marker for the first copy; for a later copy, while the first holds
// its marker, GetLastError() is ERROR_ALREADY_EXISTS (the marker then holds
// nothing, as Windows' handle to the existing mapping would carry no meaning).
InstanceMarker CreateInstanceMarker(std::string_view name);

// Asks the copy that holds the marker `name` to bring its page to the front.
// False when no copy listens.
bool RequestForeground(std::string_view name);

// For the UI backend of the copy that holds the marker: the descriptor that
// becomes readable when a request arrives (-1 when none is held), and the
// call that takes all pending requests, true when there was one.
int ForegroundRequestFd();
bool TakeForegroundRequests();

}  // namespace w95
