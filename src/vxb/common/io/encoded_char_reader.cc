// Character readers over byte sources.
#include "vxb/common/io/encoded_char_reader.h"

#include "vxb/common/runtime/error.h"
#include "vxb/common/text/charset_tables.h"

namespace VXB::Driver {

// CharReader.

CharReader::CharReader(const SimpleString& Name) : Generic(Name) {}

CharReader::~CharReader() = default;

bool CharReader::Abort() {
  Reset();
  return true;
}

void CharReader::Reset() { ResetBlock(); }

void CharReader::ResetBlock() {
  buf_ptr_ = 0;
  buf_size_ = 0;
}

bool CharReader::ReadRaw(char& c) {
  if (!buffered_) {
    Byte b = 0;
    if (ReadBuffer(&b, 1, Constants::WAIT_FOREVER) != 1) return false;
    c = static_cast<char>(b);
    return true;
  }
  if (!buffer_) {
    buffer_ = std::make_unique<Byte[]>(BUFFER_SIZE);
    ResetBlock();
  }
  if (buf_ptr_ >= buf_size_) {
    unsigned n = ReadBuffer(buffer_.get(), BUFFER_SIZE, Constants::WAIT_FOREVER);
    buf_ptr_ = 0;
    buf_size_ = n > BUFFER_SIZE ? BUFFER_SIZE : n;
    if (buf_size_ == 0) return false;
  }
  c = static_cast<char>(buffer_[buf_ptr_++]);
  return true;
}

bool CharReader::GetChar(char& c) {
  if (ReadRaw(c)) return true;
  Reset();
  return false;
}

unsigned CharReader::WriteBufferImplementation(const Byte*, unsigned, unsigned) {
  VXB::Error::SetWithContext(VXB::Error::IO_WRITE_ONLY, "CharRead::WriteBuffer");
  return 0;
}

// EncodedCharReader.

EncodedCharReader::EncodedCharReader(const SimpleString& Name, ASCII::Charsets From,
                                     ASCII::Charsets To, ASCII::Entities e)
    : CharReader(Name), EncodedDriver(From, To, e) {
  SetBufferedMode(true);
  EncodedCharReader::Reset();
}

void EncodedCharReader::Reset() {
  CharReader::Reset();
  buf_last_pos_ = 0;
  write_buf_ptr_ = 0;
  read_buf_ptr_ = 0;
  next_utf8_pending_ = false;
  next_utf8_byte_ = 0;
}

bool EncodedCharReader::DoGetChar(char& b) {
  if (read_buf_ptr_ != buf_last_pos_) {
    b = ring_[read_buf_ptr_];
    read_buf_ptr_ = (read_buf_ptr_ + 1) % MAX_CIRCULAR_BUFFER;
    return b != 0;
  }
  if (!ReadRaw(b)) {
    Reset();  // the ring is empty: nothing read ahead is lost
    return false;
  }
  return b != 0;
}

void EncodedCharReader::Unread(char b) {
  read_buf_ptr_ = (read_buf_ptr_ + MAX_CIRCULAR_BUFFER - 1) % MAX_CIRCULAR_BUFFER;
  ring_[read_buf_ptr_] = b;
}

void EncodedCharReader::Deliver(char x, bool bad, char& c) {
  if (bad) {
    c = '?';
    return;
  }
  switch (GetCharsetTo()) {
    case ASCII::UTF8: {
      const char in[2] = {x, 0};
      char out[3] = {};
      unsigned n = ASCII::ToUTF8(in, out, sizeof(out), ASCII::NO_ENTITIES);
      c = out[0];
      if (n == 2) {
        next_utf8_pending_ = true;
        next_utf8_byte_ = out[1];
      }
      return;
    }
    case ASCII::LATIN1:
      c = ASCII::Latin1Of(x);
      return;
    default:
      c = x;
      return;
  }
}

void EncodedCharReader::ReadUTF8Sequence(char Lead, char& x, bool& bad) {
  bad = true;
  const int more = ASCII::UTF8Continuations(Lead);
  std::uint32_t cp = ASCII::UTF8LeadBits(Lead);
  for (int i = 1; i <= more; ++i) {
    char next = 0;
    if (!DoGetChar(next)) {
      // The input ends inside the sequence: a bad character, and the end
      // stays for the next call.
      Unread(0);
      return;
    }
    if (!ASCII::IsUTF8ContinuationOf(Lead, static_cast<unsigned>(i), next)) {
      // Not a continuation byte: it starts the next character.
      Unread(next);
      return;
    }
    cp = cp * 64u + (static_cast<Byte>(next) & 0x3Fu);
  }
  if (more <= 0) return;
  x = ASCII::FromCodePoint(cp);
  bad = false;
}

bool EncodedCharReader::GetChar(char& c) {
  if (next_utf8_pending_) {
    c = next_utf8_byte_;
    next_utf8_pending_ = false;
    return true;
  }
  char b = 0;
  if (!DoGetChar(b)) return false;
  char x = b;
  bool bad = false;
  switch (GetCharsetFrom()) {
    case ASCII::UTF8:
      if (ASCII::IsUTF8Multibyte(b)) ReadUTF8Sequence(b, x, bad);
      break;
    case ASCII::LATIN1:
      x = ASCII::InternalOfLatin1(b);
      break;
    case ASCII::IBM437:
      x = static_cast<char>(ASCII::InternalByIBM437[static_cast<Byte>(b)]);
      break;
    case ASCII::US_ASCII:
      bad = static_cast<Byte>(b) >= 0x80;
      break;
    case ASCII::ISO_8859_15:
      x = static_cast<char>(ASCII::InternalByISO885915[static_cast<Byte>(b)]);
      break;
    default:
      break;
  }
  Deliver(x, bad, c);
  return true;
}

unsigned EncodedCharReader::GetPlainRun(char* Out, unsigned Max, const bool* Stops) {
  if (next_utf8_pending_ || read_buf_ptr_ != buf_last_pos_) return 0;
  unsigned n = BlockAvailable();
  if (n > Max) n = Max;
  const Byte* p = BlockData();
  unsigned i = 0;
  for (; i < n; ++i) {
    const Byte b = p[i];
    if (b < 0x20 || b > 0x7E || Stops[b]) break;
    Out[i] = static_cast<char>(b);
  }
  BlockSkip(i);
  return i;
}

bool EncodedCharReader::GetEntity(char& c) {
  const ASCII::Entities mode = GetEntities();
  if (ASCII::GetEntityBeginChar(mode) == 0) return false;
  const char end = ASCII::GetEntityEndChar(mode);
  char text[MAX_ENTITY_LENGTH + 1];
  unsigned length = 0;
  write_buf_ptr_ = read_buf_ptr_;
  for (unsigned examined = 0; examined < MAX_ENTITY_LENGTH; ++examined) {
    char b = 0;
    if (write_buf_ptr_ != buf_last_pos_) {
      b = ring_[write_buf_ptr_];
    } else {
      // The end of the source is kept in the ring as a zero, so that the
      // characters read ahead are delivered before the input ends.
      if (!ReadRaw(b)) b = 0;
      ring_[buf_last_pos_] = b;
      buf_last_pos_ = (buf_last_pos_ + 1) % MAX_CIRCULAR_BUFFER;
    }
    write_buf_ptr_ = (write_buf_ptr_ + 1) % MAX_CIRCULAR_BUFFER;
    if (b == 0) return false;
    char x = 0;
    bool decoded = false;
    if (end != 0 && b == end) {
      text[length] = 0;
      decoded = ASCII::FromEntity(text, x, mode);
    }
    if (!decoded) {
      text[length++] = b;
      // Without an end character the entity ends where it decodes.
      if (end == 0) {
        text[length] = 0;
        decoded = ASCII::FromEntity(text, x, mode);
      }
    }
    if (decoded) {
      read_buf_ptr_ = write_buf_ptr_;
      Deliver(x, false, c);
      return true;
    }
  }
  return false;
}

// EncodedFileReader.

EncodedFileReader::EncodedFileReader(const char* Filename)
    : EncodedCharReader(Filename != nullptr ? Filename : "", ASCII::NO_CHARSET, ASCII::CP437,
                        ASCII::NO_ENTITIES) {
  if (Filename != nullptr) {
    f.open(FileSystem::PRIMARY, Filename, FileSystem::READ_ONLY);
  } else {
    VXB::Error::SetWithContext(VXB::Error::IO_OPEN_ERROR, "EncodedFileReader: no file name");
  }
}

EncodedFileReader::~EncodedFileReader() = default;

unsigned EncodedFileReader::ReadBufferImplementation(Byte* buf, unsigned size, unsigned) {
  if (!f.is_open()) {
    VXB::Error::SetWithContext(VXB::Error::IO_NOT_OPEN, "%s", ToString());
    return 0;
  }
  unsigned n = size;
  if (!f.read(buf, n)) return 0;
  return n;
}

// EncodedCharReaderFromGeneric.

EncodedCharReaderFromGeneric::EncodedCharReaderFromGeneric(Generic* Driver, ASCII::Charsets From,
                                                           ASCII::Charsets To, ASCII::Entities e)
    : EncodedCharReader(Driver != nullptr ? Driver->ToString() : "", From, To, e),
      target_(Driver) {}

bool EncodedCharReaderFromGeneric::OK() const { return target_ != nullptr && target_->OK(); }

bool EncodedCharReaderFromGeneric::Abort() {
  if (target_ == nullptr) {
    return VXB::Error::SetWithContext(VXB::Error::IO_NOT_OPEN, "%s: no source", ToString());
  }
  return target_->Abort();
}

unsigned EncodedCharReaderFromGeneric::ReadBufferImplementation(Byte* buf, unsigned size,
                                                                unsigned Timeout) {
  if (target_ == nullptr) {
    VXB::Error::SetWithContext(VXB::Error::IO_NOT_OPEN, "%s: no source", ToString());
    return 0;
  }
  return target_->ReadBuffer(buf, size, Timeout);
}

}  // namespace VXB::Driver
