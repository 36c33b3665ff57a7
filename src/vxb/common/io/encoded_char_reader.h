// Character readers: drivers that deliver one character at a time from a
// byte source, for the JSON and XML readers and the configuration file.
//
// CharReader reads raw bytes, in blocks of BUFFER_SIZE once buffered mode is
// on. EncodedCharReader converts each character from its CharsetFrom to its
// CharsetTo and can read ahead for an entity (GetEntity). The end of the
// input, a failed read of the source and a zero byte in the input all end
// the input: GetChar returns false.
//
// Undecodable input never disappears: bad UTF-8 bytes become '?', the byte
// after a broken lead byte is read again on its own, and an entity that
// does not decode comes through as plain text.
//
// Thread safety: one thread uses a reader at a time. Abort() of the
// FromGeneric reader is forwarded to its source and may come from another
// thread as the source allows.
#ifndef VXB_COMMON_ENCODED_CHAR_READER_H_
#define VXB_COMMON_ENCODED_CHAR_READER_H_

#include <memory>

#include "vxb/common/io/driver.h"
#include "vxb/common/io/encoded_driver.h"
#include "vxb/common/runtime/file.h"
#include "vxb/common/text/charset.h"

namespace VXB::Driver {

// A reader of raw bytes. Derived classes supply the source as their
// ReadBufferImplementation. Writing to it fails with IO_WRITE_ONLY.
class CharReader : public Generic {
 public:
  static constexpr unsigned BUFFER_SIZE = 512;

  // Unbuffered; the block buffer is created at the first buffered read.
  explicit CharReader(const SimpleString& Name);
  ~CharReader() override;

  // Switches block reading on or off; the block read so far is kept.
  void SetBufferedMode(bool b) { buffered_ = b; }
  bool IsBufferedMode() const { return buffered_; }

  // Forgets the buffered input and returns true. For the owning thread.
  bool Abort() override;
  // Forgets the buffered input (and, in derived readers, look-ahead).
  virtual void Reset();
  // The next raw byte; false at the end of the input (which also resets
  // the reader).
  virtual bool GetChar(char& c);

 protected:
  // The next raw byte without resetting at the end of the input.
  bool ReadRaw(char& c);
  void ResetBlock();
  // The unread rest of the current block (empty when unbuffered or when the
  // block is used up), and consuming n bytes of it.
  const Byte* BlockData() const { return buffer_ ? buffer_.get() + buf_ptr_ : nullptr; }
  unsigned BlockAvailable() const { return buffered_ && buffer_ ? buf_size_ - buf_ptr_ : 0; }
  void BlockSkip(unsigned n) { buf_ptr_ += n; }

  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  bool buffered_ = false;
  std::unique_ptr<Byte[]> buffer_;
  unsigned buf_ptr_ = 0;
  unsigned buf_size_ = 0;
};

// Delivers characters converted from CharsetFrom to CharsetTo:
//   from UTF8: a byte below 0x80 as is; 0xC2/0xC3 with a continuation byte
//     as one Latin-1 character; any other byte of 0x80 or above, and a lead
//     byte without a continuation byte (or at the end of the input), as a
//     bad character. Longer sequences give one bad character per byte.
//   from LATIN1: through CP437ByLatin1; from NO_CHARSET/CP437: as is.
//   to NO_CHARSET/CP437: the character; to LATIN1 through Latin1ByCP437;
//     to UTF8 one or two bytes, the second delivered by the next call. A bad
//     character is delivered as '?'.
class EncodedCharReader : public CharReader, public EncodedDriver {
 public:
  // Ring positions 0..255.
  static constexpr unsigned MAX_CIRCULAR_BUFFER = 256;
  // Characters examined after the begin character of an entity.
  static constexpr unsigned MAX_ENTITY_LENGTH = 20;

  // Buffered mode on, then Reset().
  EncodedCharReader(const SimpleString& Name, ASCII::Charsets From, ASCII::Charsets To,
                    ASCII::Entities e);

  // Forgets buffered input, look-ahead and a pending UTF-8 byte.
  void Reset() override;
  bool GetChar(char& c) override;
  // Call right after GetChar delivered the begin character of an entity of
  // the current entity mode. Reads ahead (at most MAX_ENTITY_LENGTH
  // characters) for a complete entity; when one decodes, consumes it and
  // delivers its character converted to CharsetTo (true). Otherwise false
  // and nothing is consumed: the following GetChar calls deliver the
  // characters after the begin character unchanged.
  bool GetEntity(char& c);
  // A fast path for runs of plain text: copies into Out (at most Max) the
  // printable ASCII characters (0x20 to 0x7E) that come next, stopping
  // before the first other character and before any c with Stops[c] true
  // (Stops has 128 entries). These characters are the same in every
  // character set, so the result equals that of as many GetChar calls.
  // Returns the number copied; 0 when the next character must go through
  // GetChar (nothing buffered, look-ahead pending, or not plain).
  unsigned GetPlainRun(char* Out, unsigned Max, const bool* Stops);
  // The same for one character, without stops; inline for the readers'
  // per-character loops.
  bool GetPlainChar(char& c) {
    if (next_utf8_pending_ || read_buf_ptr_ != buf_last_pos_ || BlockAvailable() == 0) return false;
    const Byte b = *BlockData();
    if (b < 0x20 || b > 0x7E) return false;
    BlockSkip(1);
    c = static_cast<char>(b);
    return true;
  }

 private:
  // The next raw byte from the ring or the source; false at the end of the
  // input or at a zero byte.
  bool DoGetChar(char& b);
  // Puts b back in front of the ring, to be delivered next.
  void Unread(char b);
  // Reads the rest of the UTF-8 sequence that Lead starts; x is its
  // internal character, or bad is set for a malformed sequence (the byte
  // that broke it is put back).
  void ReadUTF8Sequence(char Lead, char& x, bool& bad);
  // Delivers the internal character x (or '?' when bad) in CharsetTo.
  void Deliver(char x, bool bad, char& c);

  char ring_[MAX_CIRCULAR_BUFFER] = {};
  unsigned buf_last_pos_ = 0;
  unsigned write_buf_ptr_ = 0;
  unsigned read_buf_ptr_ = 0;
  bool next_utf8_pending_ = false;
  char next_utf8_byte_ = 0;
};

// Reads a file of the PRIMARY file system, from NO_CHARSET to CP437, no
// entities. OK() while the file is open.
class EncodedFileReader : public EncodedCharReader {
 public:
  explicit EncodedFileReader(const char* Filename);
  ~EncodedFileReader() override;

  bool OK() const override { return f.is_open(); }

 protected:
  // Up to size bytes of the file; 0 at its end or on failure.
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  VXB::File f;
};

// Reads from another driver (not owned; it must outlive the reader). OK()
// and Abort() are those of the source.
class EncodedCharReaderFromGeneric : public EncodedCharReader {
 public:
  EncodedCharReaderFromGeneric(Generic* Driver, ASCII::Charsets From, ASCII::Charsets To,
                               ASCII::Entities e);

  bool OK() const override;
  bool Abort() override;
  Generic* GetTarget() const { return target_; }

 protected:
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned Timeout) override;

 private:
  Generic* target_;
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_ENCODED_CHAR_READER_H_
