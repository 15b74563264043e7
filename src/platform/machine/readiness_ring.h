// Whether a descriptor has become readable, known without a system call.
//
// One poll of the descriptor waits in an io_uring; when the descriptor
// becomes readable the kernel posts the poll's completion into memory this
// process shares with it, before the thread that armed the poll next returns
// to user space (at the latest before its next system call returns), so a
// change made by this process is seen at once and a change by another is
// seen by any call that follows it through a system call. Checking costs one
// load of that memory.
//
// Where no ring can be had (an old kernel, io_uring disabled or filtered),
// Start fails and the caller reads the descriptor every time, as before.
#pragma once

#include <cstddef>

struct io_uring_sqe;
struct io_uring_cqe;

namespace w95 {

class ReadinessRing {
 public:
  ReadinessRing() = default;
  ~ReadinessRing();
  ReadinessRing(const ReadinessRing&) = delete;
  ReadinessRing& operator=(const ReadinessRing&) = delete;

  // Sets up the ring and arms its poll of `fd`; false (and no ring) when any
  // of that fails.
  bool Start(int fd);
  bool Active() const { return ring_ >= 0; }
  // Whether the poll has completed since it was last armed: the descriptor
  // may be readable. Always true without a ring.
  bool Signalled() const;
  // Takes the completion and arms the poll again: to be called once the
  // descriptor has been read empty (readiness arriving since shows up at
  // once). False, and no ring from then on, when the poll failed or cannot be
  // armed.
  bool Rearm();
  void Stop();

 private:
  bool Submit();

  int ring_ = -1;
  int fd_ = -1;
  void* rings_ = nullptr;  // submission and completion rings, one mapping
  size_t ringsSize_ = 0;
  io_uring_sqe* entries_ = nullptr;
  size_t entriesSize_ = 0;
  unsigned* sqTail_ = nullptr;
  unsigned* sqMask_ = nullptr;
  unsigned* sqArray_ = nullptr;
  unsigned* cqHead_ = nullptr;
  unsigned* cqTail_ = nullptr;
  unsigned* cqMask_ = nullptr;
  io_uring_cqe* completions_ = nullptr;
};

}  // namespace w95
