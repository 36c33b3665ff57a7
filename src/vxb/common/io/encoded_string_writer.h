// String writers: drivers that collect printed text in an output buffer and
// hand it to a byte sink in large transfers; the encoded writer first turns
// each printed piece from the internal character set into the answer's set
// with the escaping of the document's format.
//
// A printed piece of any length is written whole: the encoded writer
// converts it through its fixed conversion buffers in a loop, and a text
// longer than the output buffer is written straight to the sink after the
// buffer is flushed. Reading from a writer fails with IO_READ_ONLY.
//
// The owner flushes the writer at the end of each document; the destructor
// does not flush (the sink may be gone by then).
//
// Thread safety: one thread uses a writer at a time. Abort() of the
// FromGeneric writer is forwarded to its sink.
#ifndef VXB_COMMON_ENCODED_STRING_WRITER_H_
#define VXB_COMMON_ENCODED_STRING_WRITER_H_

#include <cstdarg>
#include <memory>

#include "vxb/common/io/driver.h"
#include "vxb/common/io/encoded_driver.h"
#include "vxb/common/text/charset.h"

namespace VXB::Driver {

// A buffered writer of text. Derived classes supply the sink as their
// WriteBufferImplementation.
class StringWriter : public Generic {
 public:
  static constexpr unsigned DEFAULT_BUFFERING_SIZE = 4096;
  static constexpr unsigned VPRINT_BUF_SIZE = 2048;

  // An output buffer of BufferSize bytes; unbuffered when 0.
  StringWriter(const SimpleString& Name, unsigned BufferSize);
  ~StringWriter() override;

  bool OK() const override { return true; }

  // Writes s (WriteString with no time limit). True when all of it was
  // written or buffered.
  virtual bool Print(const char* s);
  // Formats and calls Print. A result longer than VPRINT_BUF_SIZE - 1 is
  // formatted again into a buffer of its own size: nothing is cut.
  bool PrintF(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool vPrint(const char* Format, va_list Args);
  // Writes out the buffered bytes, repeating while the sink takes some.
  // When the sink takes nothing, the rest is discarded and the result is
  // false. The buffer is empty afterwards. True when unbuffered.
  bool Flush(unsigned Timeout);
  // Flushes, then replaces the output buffer by one of n bytes (none when
  // 0). False when the flush failed (the new size is set all the same).
  bool SetBufferSize(unsigned n);
  unsigned GetBufferSize() const { return buffer_size_; }
  // Bytes waiting in the output buffer.
  unsigned Buffered() const { return buffer_size_ - avail_; }

 protected:
  // Unbuffered: writes the text straight to the sink. Buffered: appends it
  // to the buffer (flushing first when it does not fit; a text longer than
  // the whole buffer goes straight to the sink after the flush); when the
  // buffer becomes exactly full it is flushed with Timeout.
  bool WriteStringImplementation(const char* s, unsigned Timeout) override;
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  // Writes n bytes through WriteBuffer, repeating while each call writes
  // something; true when all were written.
  bool WriteAll(const Byte* p, unsigned n, unsigned Timeout);

  unsigned buffer_size_;
  std::unique_ptr<Byte[]> buffer_;
  unsigned fill_ = 0;   // next free position
  unsigned avail_ = 0;  // free bytes
  std::unique_ptr<char[]> vprint_buffer_;
};

// Converts each printed piece: from CharsetFrom into the internal set (when
// CharsetFrom is neither NO_CHARSET nor CP437), then into CharsetTo with the
// current entity mode (escaping only towards UTF8 and LATIN1). With
// conversion off, text is written as it is.
class EncodedStringWriter : public StringWriter, public EncodedDriver {
 public:
  static constexpr unsigned CONVERSION_BUFFER_SIZE = 2048;

  // Output buffer of DEFAULT_BUFFERING_SIZE bytes, conversion on.
  EncodedStringWriter(const SimpleString& Name, ASCII::Charsets From, ASCII::Charsets To,
                      ASCII::Entities e);
  ~EncodedStringWriter() override;

  // False when a piece could not be written, or a character set is
  // unknown (IO_PARAM_ERROR).
  bool Print(const char* s) override;
  // Sets conversion on or off; returns the previous setting.
  bool Convert(bool b);
  bool IsConverting() const { return conversion_; }

 private:
  // Converts internal text to CharsetTo piece by piece and writes it.
  bool PrintInternal(const char* s);

  bool conversion_ = true;
  std::unique_ptr<char[]> buf_conversion1_;
  std::unique_ptr<char[]> buf_conversion2_;
};

// Writes to another driver (not owned; it must outlive the writer). OK()
// and Abort() are those of the sink.
class EncodedStringWriterFromGeneric : public EncodedStringWriter {
 public:
  EncodedStringWriterFromGeneric(Generic* Driver, ASCII::Charsets From, ASCII::Charsets To,
                                 ASCII::Entities e);

  bool OK() const override;
  bool Abort() override;
  Generic* GetTarget() const { return target_; }

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  Generic* target_;
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_ENCODED_STRING_WRITER_H_
