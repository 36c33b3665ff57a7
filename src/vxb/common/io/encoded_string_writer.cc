// Buffered and converting string writers.
#include "vxb/common/io/encoded_string_writer.h"

#include <cstdio>
#include <cstring>

#include "vxb/common/runtime/error.h"

namespace VXB::Driver {

// StringWriter.

StringWriter::StringWriter(const SimpleString& Name, unsigned BufferSize)
    : Generic(Name), buffer_size_(0) {
  SetBufferSize(BufferSize);
}

StringWriter::~StringWriter() = default;

bool StringWriter::Print(const char* s) { return WriteString(s, Constants::WAIT_FOREVER); }

bool StringWriter::PrintF(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  bool ok = vPrint(Format, args);
  va_end(args);
  return ok;
}

bool StringWriter::vPrint(const char* Format, va_list Args) {
  if (Format == nullptr) return Print("");
  if (!vprint_buffer_) vprint_buffer_ = std::make_unique<char[]>(VPRINT_BUF_SIZE);
  va_list copy;
  va_copy(copy, Args);
  int needed = std::vsnprintf(vprint_buffer_.get(), VPRINT_BUF_SIZE, Format, Args);
  bool ok;
  if (needed < 0) {
    ok = VXB::Error::SetWithContext(VXB::Error::IO_FORMAT_ERROR, "StringWriter::vPrint");
  } else if (static_cast<unsigned>(needed) < VPRINT_BUF_SIZE) {
    ok = Print(vprint_buffer_.get());
  } else {
    // Rare: a long formatted text gets a buffer of its own.
    auto big = std::make_unique<char[]>(static_cast<unsigned>(needed) + 1);
    std::vsnprintf(big.get(), static_cast<unsigned>(needed) + 1, Format, copy);
    ok = Print(big.get());
  }
  va_end(copy);
  return ok;
}

bool StringWriter::WriteAll(const Byte* p, unsigned n, unsigned Timeout) {
  while (n > 0) {
    unsigned written = WriteBuffer(p, n, Timeout);
    if (written == 0) return false;
    if (written > n) written = n;
    p += written;
    n -= written;
  }
  return true;
}

bool StringWriter::Flush(unsigned Timeout) {
  if (buffer_size_ == 0) return true;
  bool ok = WriteAll(buffer_.get(), fill_, Timeout);
  fill_ = 0;
  avail_ = buffer_size_;
  return ok;
}

bool StringWriter::SetBufferSize(unsigned n) {
  bool ok = Flush(Constants::WAIT_FOREVER);
  buffer_size_ = n;
  buffer_ = n > 0 ? std::make_unique<Byte[]>(n) : nullptr;
  fill_ = 0;
  avail_ = n;
  return ok;
}

bool StringWriter::WriteStringImplementation(const char* s, unsigned Timeout) {
  if (s == nullptr) return true;
  const unsigned length = static_cast<unsigned>(std::strlen(s));
  const Byte* p = reinterpret_cast<const Byte*>(s);
  if (buffer_size_ == 0) return WriteAll(p, length, Constants::WAIT_FOREVER);
  if (length > avail_) {
    if (!Flush(Constants::WAIT_FOREVER)) return false;
    if (length > buffer_size_) return WriteAll(p, length, Constants::WAIT_FOREVER);
  }
  std::memcpy(buffer_.get() + fill_, p, length);
  fill_ += length;
  avail_ -= length;
  if (avail_ == 0) return Flush(Timeout);
  return true;
}

unsigned StringWriter::ReadBufferImplementation(Byte*, unsigned, unsigned) {
  VXB::Error::SetWithContext(VXB::Error::IO_READ_ONLY, "StringWriter::ReadBuffer");
  return 0;
}

// EncodedStringWriter.

EncodedStringWriter::EncodedStringWriter(const SimpleString& Name, ASCII::Charsets From,
                                         ASCII::Charsets To, ASCII::Entities e)
    : StringWriter(Name, DEFAULT_BUFFERING_SIZE),
      EncodedDriver(From, To, e),
      buf_conversion1_(std::make_unique<char[]>(CONVERSION_BUFFER_SIZE)),
      buf_conversion2_(std::make_unique<char[]>(CONVERSION_BUFFER_SIZE)) {}

EncodedStringWriter::~EncodedStringWriter() = default;

bool EncodedStringWriter::Convert(bool b) {
  bool previous = conversion_;
  conversion_ = b;
  return previous;
}

bool EncodedStringWriter::PrintInternal(const char* s) {
  char* out = buf_conversion2_.get();
  while (*s != 0) {
    ASCII::PartialConversion p = ASCII::ToCharsetPartially(s, out, CONVERSION_BUFFER_SIZE - 1,
                                                           GetCharsetTo(), GetEntities());
    if (p.Read == 0) {
      return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                        "%s: cannot convert to character set %u", ToString(),
                                        static_cast<unsigned>(GetCharsetTo()));
    }
    out[p.Written] = 0;
    if (!WriteString(out, Constants::WAIT_FOREVER)) return false;
    s += p.Read;
  }
  return true;
}

bool EncodedStringWriter::Print(const char* s) {
  if (s == nullptr) return true;
  if (!conversion_) return WriteString(s, Constants::WAIT_FOREVER);
  const ASCII::Charsets from = GetCharsetFrom();
  if (from == ASCII::NO_CHARSET || from == ASCII::CP437) return PrintInternal(s);
  char* internal = buf_conversion1_.get();
  while (*s != 0) {
    ASCII::PartialConversion p =
        ASCII::FromCharsetPartially(s, internal, CONVERSION_BUFFER_SIZE - 1, from);
    if (p.Read == 0) {
      return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                        "%s: cannot convert from character set %u", ToString(),
                                        static_cast<unsigned>(from));
    }
    internal[p.Written] = 0;
    if (!PrintInternal(internal)) return false;
    s += p.Read;
  }
  return true;
}

// EncodedStringWriterFromGeneric.

EncodedStringWriterFromGeneric::EncodedStringWriterFromGeneric(Generic* Driver,
                                                               ASCII::Charsets From,
                                                               ASCII::Charsets To,
                                                               ASCII::Entities e)
    : EncodedStringWriter(Driver != nullptr ? Driver->ToString() : "", From, To, e),
      target_(Driver) {}

bool EncodedStringWriterFromGeneric::OK() const { return target_ != nullptr && target_->OK(); }

bool EncodedStringWriterFromGeneric::Abort() {
  if (target_ == nullptr) {
    return VXB::Error::SetWithContext(VXB::Error::IO_NOT_OPEN, "%s: no sink", ToString());
  }
  return target_->Abort();
}

unsigned EncodedStringWriterFromGeneric::WriteBufferImplementation(const Byte* buf, unsigned size,
                                                                   unsigned Timeout) {
  if (target_ == nullptr) {
    VXB::Error::SetWithContext(VXB::Error::IO_NOT_OPEN, "%s: no sink", ToString());
    return 0;
  }
  return target_->WriteBuffer(buf, size, Timeout);
}

}  // namespace VXB::Driver
