// An in-memory byte stream: a driver whose reads take, in order, the bytes
// written to it (loopback), or, once two drivers are connected, the bytes
// written to the other one. Protocol code can thus be run against a
// simulated device on another thread, without hardware.
//
// Reads return as soon as at least one byte is there, or after their
// time-out with 0 and IO_TIMEOUT_ERROR. Writes wait up to their time-out for
// room when the receiving queue (Capacity bytes) is full; a write that
// stores fewer records IO_TIMEOUT_ERROR. Abort() keeps the driver contract
// of driver.h, with SYSTEM_ABORTED_PROCESS. There is no closed peer: a
// disconnected driver falls back to loopback.
//
// Thread safety: one thread reads and writes a driver at a time (another may
// use its peer, and any thread may call Abort). Connect, Disconnect and
// destruction only while neither driver of the pair is in use.
#ifndef VXB_COMMON_MEMORY_DRIVER_H_
#define VXB_COMMON_MEMORY_DRIVER_H_

#include <atomic>
#include <memory>

#include "vxb/common/io/driver.h"

namespace VXB::Driver {

class Memory : public Generic {
 public:
  static constexpr unsigned DEFAULT_CAPACITY = 65536;

  // A Capacity of 0 is taken as 1.
  explicit Memory(const SimpleString& Name = "Memory", unsigned Capacity = DEFAULT_CAPACITY);
  ~Memory() override;

  // From now on what a writes b reads, and the other way round. Each driver
  // is first disconnected from an earlier peer.
  static void Connect(Memory& a, Memory& b);
  // Back to loopback, for both drivers of the pair.
  void Disconnect();

  bool OK() const override { return true; }
  bool Abort() override;
  // Drops the bytes waiting to be read from this driver.
  void Clear();

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned PeekImplementation() override;

 private:
  struct Queue;

  // The queue that this driver's writes fill.
  Queue& Target();
  bool TakeAbort();
  template <typename StepFn>
  unsigned Transfer(Queue& q, unsigned size, unsigned Timeout, bool Reading, StepFn Step);

  std::unique_ptr<Queue> input_;
  Memory* peer_ = nullptr;
  std::atomic<bool> abort_{false};
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_MEMORY_DRIVER_H_
