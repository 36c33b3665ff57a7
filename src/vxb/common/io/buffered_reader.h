// A read-ahead buffer over another driver, so that byte-by-byte readers
// (the packet protocol) do not call a port for every byte. Reads fetch up to
// BUFFER_SIZE bytes from the source at once and then serve from the buffer;
// a read of more bytes than are buffered waits, within its time-out per
// refill, for the rest. Writes, OK() and Abort() pass straight to the
// source, so an abort leaves the source's error (driver.h).
//
// Thread safety: one thread uses the reader (and, through it, the source)
// at a time; Abort() may come from any thread.
#ifndef VXB_COMMON_BUFFERED_READER_H_
#define VXB_COMMON_BUFFERED_READER_H_

#include <memory>

#include "vxb/common/base/types.h"
#include "vxb/common/io/driver.h"

namespace VXB::Driver {

// Read-ahead buffer over another driver (not owned). Reads fetch up to
// BUFFER_SIZE bytes from the source at once; writes pass straight through.
class BufferedReader : public Generic {
 public:
  static constexpr unsigned BUFFER_SIZE = 512;

  explicit BufferedReader(Generic& src);
  ~BufferedReader() override;

  bool OK() const override { return source_.OK(); }
  bool Abort() override { return source_.Abort(); }
  // Drops the buffered bytes.
  void Reset() { buf_ptr_ = buf_size_ = 0; }
  Generic& GetSource() const { return source_; }

 protected:
  bool ReadByteImplementation(Byte& c, unsigned Timeout) override;
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  // Reads what is already available (zero wait) up to size - 1 bytes or a
  // line feed; terminates the text.
  bool ReadStringImplementation(char* buf, unsigned size) override;
  // Unread buffered bytes when there are any, else the source's count.
  unsigned PeekImplementation() override;
  bool WriteByteImplementation(Byte b, unsigned Timeout) override;
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  // Makes sure an unread byte is buffered, refilling from the source with
  // Timeout when all were consumed; false (buffer emptied) when none came.
  bool CheckBuffer(unsigned Timeout);

  Generic& source_;
  std::unique_ptr<Byte[]> buffer_;
  unsigned buf_ptr_ = 0;
  unsigned buf_size_ = 0;
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_BUFFERED_READER_H_
