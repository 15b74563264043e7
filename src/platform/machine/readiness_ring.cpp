#include "platform/machine/readiness_ring.h"

#include <linux/io_uring.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace w95 {

namespace {

constexpr unsigned kEntries = 2;  // one poll at a time

template <typename T>
T* At(void* base, unsigned offset) {
  return reinterpret_cast<T*>(static_cast<char*>(base) + offset);
}

}  // namespace

ReadinessRing::~ReadinessRing() { Stop(); }

void ReadinessRing::Stop() {
  if (entries_) munmap(entries_, entriesSize_);
  if (rings_) munmap(rings_, ringsSize_);
  if (ring_ >= 0) close(ring_);
  rings_ = nullptr;
  entries_ = nullptr;
  ring_ = -1;
}

bool ReadinessRing::Start(int fd) {
  Stop();
  // No flags: the kernel posts a completion by interrupting the thread that
  // armed the poll, so that none waits for a system call of ours.
  io_uring_params params{};
  const long ring = syscall(__NR_io_uring_setup, kEntries, &params);
  if (ring < 0) return false;
  ring_ = static_cast<int>(ring);
  fd_ = fd;
  if (!(params.features & IORING_FEAT_SINGLE_MMAP)) {
    Stop();
    return false;
  }
  const size_t sqSize = params.sq_off.array + params.sq_entries * sizeof(unsigned);
  const size_t cqSize = params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe);
  ringsSize_ = sqSize > cqSize ? sqSize : cqSize;
  void* rings = mmap(nullptr, ringsSize_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, ring_, IORING_OFF_SQ_RING);
  entriesSize_ = params.sq_entries * sizeof(io_uring_sqe);
  void* entries =
      mmap(nullptr, entriesSize_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, ring_, IORING_OFF_SQES);
  rings_ = rings == MAP_FAILED ? nullptr : rings;
  entries_ = entries == MAP_FAILED ? nullptr : static_cast<io_uring_sqe*>(entries);
  if (!rings_ || !entries_) {
    Stop();
    return false;
  }
  sqTail_ = At<unsigned>(rings_, params.sq_off.tail);
  sqMask_ = At<unsigned>(rings_, params.sq_off.ring_mask);
  sqArray_ = At<unsigned>(rings_, params.sq_off.array);
  cqHead_ = At<unsigned>(rings_, params.cq_off.head);
  cqTail_ = At<unsigned>(rings_, params.cq_off.tail);
  cqMask_ = At<unsigned>(rings_, params.cq_off.ring_mask);
  completions_ = At<io_uring_cqe>(rings_, params.cq_off.cqes);
  if (!Submit()) {
    Stop();
    return false;
  }
  return true;
}

bool ReadinessRing::Submit() {
  const unsigned tail = *sqTail_;
  const unsigned index = tail & *sqMask_;
  io_uring_sqe& entry = entries_[index];
  std::memset(&entry, 0, sizeof entry);
  entry.opcode = IORING_OP_POLL_ADD;
  entry.fd = fd_;
  entry.poll32_events = POLLIN;
  sqArray_[index] = index;
  __atomic_store_n(sqTail_, tail + 1, __ATOMIC_RELEASE);
  for (;;) {
    const long submitted = syscall(__NR_io_uring_enter, ring_, 1, 0, 0, nullptr, 0);
    if (submitted == 1) return true;
    if (submitted < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return false;
  }
}

bool ReadinessRing::Signalled() const {
  if (ring_ < 0) return true;
  return __atomic_load_n(cqTail_, __ATOMIC_ACQUIRE) != *cqHead_;
}

bool ReadinessRing::Rearm() {
  if (ring_ < 0) return false;
  const unsigned tail = __atomic_load_n(cqTail_, __ATOMIC_ACQUIRE);
  if (tail == *cqHead_) return true;  // still armed
  bool failed = false;
  for (unsigned head = *cqHead_; head != tail; ++head) failed |= completions_[head & *cqMask_].res < 0;
  __atomic_store_n(cqHead_, tail, __ATOMIC_RELEASE);
  if (failed || !Submit()) {
    Stop();
    return false;
  }
  return true;
}

}  // namespace w95
