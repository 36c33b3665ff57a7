// Byte streams over memory that end: StringSource reads a text given at
// construction and then reports the end of the input (reads return 0);
// StringSink collects everything written to it. For documents held whole
// in memory (command-line tools, tests, benchmarks). ScriptedConnection
// stands for a client's socket, so a server can be driven without one
// (tests, fuzz targets, tools).
//
// Thread safety: one thread uses a driver at a time.
#ifndef VXB_COMMON_STRING_DRIVER_H_
#define VXB_COMMON_STRING_DRIVER_H_

#include <string>
#include <string_view>

#include "vxb/common/io/driver.h"

namespace VXB::Driver {

// Reads the bytes of a text (not copied: it must outlive the source), at
// most ChunkSize per read, then 0. Writing fails with IO_READ_ONLY.
class StringSource : public Generic {
 public:
  explicit StringSource(std::string_view Text = {}, unsigned ChunkSize = 0xFFFFFFFFu);

  // Starts over on another text.
  void SetText(std::string_view Text);
  bool OK() const override { return true; }

 protected:
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  unsigned chunk_;
};

// Appends every write to Text(). Reading fails with IO_WRITE_ONLY.
class StringSink : public Generic {
 public:
  StringSink();

  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }
  bool OK() const override { return true; }

 protected:
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  std::string text_;
};

// A client's connection over memory: reads deliver Input in pieces of at
// most Piece bytes (0 counts as 1), then fail as a closed connection
// (SOCK_CONNECTION_CLOSED); writes are collected in Output().
class ScriptedConnection : public Generic {
 public:
  explicit ScriptedConnection(std::string_view Input, std::size_t Piece = 0xFFFFFFFFu);

  const std::string& Output() const { return output_; }
  // The input bytes read so far.
  std::size_t Consumed() const { return pos_; }
  bool OK() const override { return true; }

 protected:
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  std::string input_;
  std::size_t piece_;
  std::size_t pos_ = 0;
  std::string output_;
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_STRING_DRIVER_H_
