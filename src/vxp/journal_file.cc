#include "vxp/journal_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"

namespace VXP::Zorbel {

namespace {

constexpr char MAGIC[8] = {'Z', 'O', 'R', 'B', 'E', 'L', 'J', '1'};
// A record's first byte: written without waiting for the disk, or flushed
// before Append returned (so that a record after it proves it on the disk).
constexpr unsigned char RECORD_MARK = 0xA5;
constexpr unsigned char DURABLE_MARK = 0xA7;
constexpr unsigned ZERO_CHUNK = 64u << 10;
// The largest file read back whole at start.
constexpr std::uint64_t MAX_FILE = 256u << 20;

void Put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void Put64(unsigned char* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t Get32(const unsigned char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

std::uint64_t Get64(const unsigned char* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}

}  // namespace

std::uint32_t JournalFile::Crc32(const void* Bytes, std::size_t Size, std::uint32_t Start) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  std::uint32_t c = ~Start;
  const auto* p = static_cast<const unsigned char*>(Bytes);
  for (std::size_t i = 0; i < Size; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return ~c;
}

std::string JournalFile::Path(unsigned n) const {
  std::string path = directory_;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path.push_back('/');
  return path + (n == 0 ? "journal1.dat" : "journal2.dat");
}

bool JournalFile::WriteAt(Side& s, std::uint64_t Offset, const void* Bytes, unsigned Size) {
  auto at = static_cast<std::int64_t>(Offset);
  if (!s.file.lseek(at, VXB::FileSystem::FROM_START)) return false;
  unsigned n = Size;
  if (!s.file.write(Bytes, n)) return false;
  if (n != Size)
    return VXB::Error::SetWithContext(VXB::Error::IO_FS_ERROR, "Escritura incompleta del diario");
  return true;
}

bool JournalFile::WriteHeader(Side& s) {
  unsigned char h[HEADER_SIZE] = {};
  std::memcpy(h, MAGIC, sizeof MAGIC);
  Put64(h + 8, s.generation);
  Put64(h + 16, size_);
  Put32(h + 24, Crc32(h, 24));
  return WriteAt(s, 0, h, HEADER_SIZE) && s.file.sync();
}

// Zeros written, not a size set or space reserved: the blocks are taken and
// written now, so that a later flush writes a record's data alone, with
// neither the file's size nor its extents changing.
bool JournalFile::Preallocate(Side& s) {
  std::int64_t length = s.file.filesize();
  if (length >= static_cast<std::int64_t>(size_)) return true;
  const std::vector<unsigned char> zeros(ZERO_CHUNK, 0);
  while (length < static_cast<std::int64_t>(size_)) {
    const auto n = static_cast<unsigned>(std::min<std::int64_t>(ZERO_CHUNK, size_ - length));
    if (!WriteAt(s, static_cast<std::uint64_t>(length), zeros.data(), n)) return false;
    length += n;
  }
  return s.file.sync();
}

namespace {

// The payload length of a whole record of Generation at Pos with a good
// CRC, and whether it was written durable; false when there is none.
bool RecordAt(const unsigned char* Bytes, std::size_t Size, std::size_t Pos,
              std::uint32_t Generation, std::uint32_t& Length, bool& Durable) {
  if (Pos + JournalFile::RECORD_OVERHEAD > Size) return false;
  const unsigned char* p = Bytes + Pos;
  if (p[0] != RECORD_MARK && p[0] != DURABLE_MARK) return false;
  Length = Get32(p + 1);
  if (Length > Size - Pos - JournalFile::RECORD_OVERHEAD || Get32(p + 5) != Generation)
    return false;
  if (JournalFile::Crc32(p + 1, 8 + std::size_t{Length}) != Get32(p + 9 + Length)) return false;
  Durable = p[0] == DURABLE_MARK;
  return true;
}

}  // namespace

bool JournalFile::Scan(const unsigned char* Bytes, std::size_t Size, ScanResult& Out) {
  Out = ScanResult{};
  if (Size < HEADER_SIZE) {
    Out.Blank = std::all_of(Bytes, Bytes + Size, [](unsigned char b) { return b == 0; });
    return Out.Blank;
  }
  Out.Blank = std::all_of(Bytes, Bytes + HEADER_SIZE, [](unsigned char b) { return b == 0; });
  if (Out.Blank) return true;
  if (std::memcmp(Bytes, MAGIC, sizeof MAGIC) != 0 || Crc32(Bytes, 24) != Get32(Bytes + 24))
    return false;
  Out.Generation = Get64(Bytes + 8);
  // No journal names generation 0: such a file holds no records.
  if (Out.Generation == 0) return true;
  const auto generation = static_cast<std::uint32_t>(Out.Generation);
  // Every whole record of this generation, and where a stretch that is
  // none came before it. Past the end of the records lie zeros, a torn
  // record or an older generation's records, which never pass as ours.
  struct Found {
    std::size_t pos;
    std::uint32_t length;
    bool durable;
    bool after_damage;
  };
  std::vector<Found> found;
  std::size_t pos = HEADER_SIZE;
  bool damaged = false;
  while (pos + RECORD_OVERHEAD <= Size) {
    std::uint32_t length = 0;
    bool durable = false;
    if (RecordAt(Bytes, Size, pos, generation, length, durable)) {
      found.push_back({pos, length, durable, damaged});
      damaged = false;
      pos += RECORD_OVERHEAD + std::size_t{length};
    } else {
      damaged = true;
      ++pos;
    }
  }
  // A record written durable that has a record after it was on the disk,
  // and so was everything before it: damage up to there is the disk's, and
  // the records around it are read. Past the last such record lies what
  // was written since the last flush, which a power cut may have left
  // with some pages on the disk and others not: a gap there may be a lost
  // record, so nothing after it is taken (a record after it was never
  // flushed, and nothing acted upon it).
  std::size_t settled = 0;  // records up to here were flushed
  for (std::size_t i = 0; i + 1 < found.size(); ++i)
    if (found[i].durable) settled = i + 1;
  std::size_t end = HEADER_SIZE;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const Found& f = found[i];
    if (f.after_damage && i >= settled) {
      Out.Dropped = static_cast<unsigned>(found.size() - i);
      Out.DroppedEnd = found.back().pos + RECORD_OVERHEAD + found.back().length;
      break;
    }
    if (f.after_damage) ++Out.DamagedStretches;
    Out.Records.push_back({f.pos + 9, f.length});
    end = f.pos + RECORD_OVERHEAD + f.length;
  }
  Out.End = end;
  return true;
}

void JournalFile::ReadRecords(Side& s, ScanResult& Scanned, std::vector<std::string>& Records) {
  Scanned = ScanResult{};
  s.end = HEADER_SIZE;
  const std::int64_t length = std::min<std::int64_t>(s.file.filesize(), MAX_FILE);
  if (s.generation == 0 || length <= HEADER_SIZE) return;
  buffer_.assign(static_cast<std::size_t>(length), 0);
  std::int64_t at = 0;
  unsigned n = static_cast<unsigned>(length);
  if (!s.file.lseek(at, VXB::FileSystem::FROM_START) || !s.file.read(buffer_.data(), n)) return;
  if (Scan(buffer_.data(), n, Scanned) && Scanned.Generation == s.generation) {
    for (const RecordExtent& r : Scanned.Records)
      Records.emplace_back(reinterpret_cast<const char*>(buffer_.data() + r.Offset), r.Size);
    s.end = Scanned.End;
  }
  buffer_.clear();
}

bool JournalFile::ReadHeader(Side& s, bool& Blank) {
  s.generation = 0;
  unsigned char h[HEADER_SIZE] = {};
  unsigned got = HEADER_SIZE;
  std::int64_t at = 0;
  if (!s.file.lseek(at, VXB::FileSystem::FROM_START) || !s.file.read(h, got)) return false;
  Blank = std::all_of(h, h + got, [](unsigned char b) { return b == 0; });
  if (Blank) return true;
  if (got != HEADER_SIZE || std::memcmp(h, MAGIC, sizeof MAGIC) != 0 ||
      Crc32(h, 24) != Get32(h + 24))
    return false;
  s.generation = Get64(h + 8);
  return true;
}

bool JournalFile::OpenSide(unsigned n, std::vector<std::string>& Records) {
  Side& s = sides_[n];
  const std::string path = Path(n);
  if (!s.file.open(VXB::FileSystem::PRIMARY, path.c_str(),
                   VXB::FileSystem::READ_WRITE | VXB::FileSystem::CREATE))
    return false;
  bool blank = false;
  if (!ReadHeader(s, blank)) {
    // Not ours or damaged: kept aside for whoever wants to look, and an
    // empty file in its place.
    s.file.close();
    const std::string aside = path + ".damaged";
    VXB::FileSystem::remove(aside.c_str(), VXB::FileSystem::PRIMARY);
    if (VXB::FileSystem::rename(path.c_str(), aside.c_str(), VXB::FileSystem::PRIMARY) != 0)
      return false;
    damaged_.push_back(aside);
    VXB::Log::Write(
        "Diario %s da\xA4"
        "ado: apartado como %s",
        path.c_str(), aside.c_str());
    if (!s.file.open(
            VXB::FileSystem::PRIMARY, path.c_str(),
            VXB::FileSystem::READ_WRITE | VXB::FileSystem::CREATE | VXB::FileSystem::TRUNCATE))
      return false;
    s.generation = 0;
  }
  if (!Preallocate(s)) return false;
  ScanResult scanned;
  ReadRecords(s, scanned, Records);
  damaged_records_ += scanned.DamagedStretches;
  dropped_records_ += scanned.Dropped;
  if (scanned.DamagedStretches > 0 || scanned.Dropped > 0)
    VXB::Log::Write(
        "Diario %s: %u tramos da\xA4"
        "ados saltados, %u registros sin confirmar descartados",
        path.c_str(), scanned.DamagedStretches, scanned.Dropped);
  // Records left out are cleared, so that appending short of them can
  // never make them read as if they followed the new ones.
  if (scanned.DroppedEnd > s.end) {
    const std::vector<unsigned char> zeros(static_cast<std::size_t>(scanned.DroppedEnd - s.end), 0);
    if (!WriteAt(s, s.end, zeros.data(), static_cast<unsigned>(zeros.size())) || !s.file.sync())
      return false;
  }
  return true;
}

bool JournalFile::Read(const std::string& Directory, std::vector<std::string>& Records) {
  JournalFile j;
  j.directory_ = Directory;
  std::vector<std::string> side_records[2];
  bool any = false;
  for (unsigned n = 0; n < 2; ++n) {
    Side& s = j.sides_[n];
    const std::string path = j.Path(n);
    s.file.SetQuiet(true);
    bool blank = false;
    if (!s.file.open(VXB::FileSystem::PRIMARY, path.c_str(), VXB::FileSystem::READ_ONLY)) continue;
    any = true;
    ScanResult scanned;
    if (j.ReadHeader(s, blank)) j.ReadRecords(s, scanned, side_records[n]);
  }
  const unsigned current = j.sides_[1].generation > j.sides_[0].generation ? 1 : 0;
  Records = std::move(side_records[1 - current]);
  Records.insert(Records.end(), side_records[current].begin(), side_records[current].end());
  return any;
}

bool JournalFile::Open(const std::string& Directory, std::uint32_t Size,
                       std::vector<std::string>& Records) {
  Close();
  directory_ = Directory;
  size_ = std::max(Size, MIN_SIZE);
  damaged_.clear();
  damaged_records_ = 0;
  dropped_records_ = 0;
  std::vector<std::string> side_records[2];
  for (unsigned n = 0; n < 2; ++n) {
    if (!OpenSide(n, side_records[n])) {
      Close();
      return false;
    }
  }
  current_ = sides_[1].generation > sides_[0].generation ? 1 : 0;
  if (sides_[current_].generation == 0) {
    sides_[current_].generation = 1;
    sides_[current_].end = HEADER_SIZE;
    if (!WriteHeader(sides_[current_])) {
      Close();
      return false;
    }
  }
  const unsigned older = 1 - current_;
  if (sides_[older].generation != 0 && sides_[older].generation < sides_[current_].generation)
    Records = std::move(side_records[older]);
  Records.insert(Records.end(), side_records[current_].begin(), side_records[current_].end());
  return true;
}

bool JournalFile::Switch() {
  // What this file holds unflushed goes to the disk before the other file
  // takes over: a record of the new generation on the disk proves every
  // older one there (the reading rule above counts on it).
  if (!Flush()) return false;
  const unsigned next = 1 - current_;
  Side& s = sides_[next];
  s.generation = sides_[current_].generation + 1;
  s.end = HEADER_SIZE;
  if (!WriteHeader(s)) return false;
  current_ = next;
  return true;
}

bool JournalFile::Append(std::string_view Record, bool Durable) {
  Side& s = sides_[current_];
  if (!s.file.is_open())
    return VXB::Error::SetWithContext(VXB::Error::IO_FS_ERROR, "Diario cerrado");
  const std::uint64_t need = RECORD_OVERHEAD + Record.size();
  if (HEADER_SIZE + need > size_)
    return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                      "Registro de %u bytes mayor que el diario",
                                      static_cast<unsigned>(Record.size()));
  if (s.end + need > size_ && !Switch()) return false;
  Side& w = sides_[current_];
  buffer_.resize(need);
  unsigned char* p = buffer_.data();
  p[0] = Durable ? DURABLE_MARK : RECORD_MARK;
  Put32(p + 1, static_cast<std::uint32_t>(Record.size()));
  Put32(p + 5, static_cast<std::uint32_t>(w.generation));
  std::memcpy(p + 9, Record.data(), Record.size());
  Put32(p + 9 + Record.size(), Crc32(p + 1, 8 + Record.size()));
  if (!WriteAt(w, w.end, p, static_cast<unsigned>(need))) return false;
  // One flush puts every record written before on the disk with this one.
  // (A file opened for synchronous writes would flush each write's own
  // bytes only, and every write, the ones meant to wait for the next
  // flush too.)
  if (Durable && !w.file.sync()) return false;
  w.unflushed = !Durable;
  w.end += need;
  return true;
}

bool JournalFile::Flush() {
  Side& s = sides_[current_];
  if (!s.unflushed || !s.file.is_open()) return true;
  if (!s.file.sync()) return false;
  s.unflushed = false;
  return true;
}

void JournalFile::Close() {
  Flush();
  for (Side& s : sides_) {
    s.unflushed = false;
    s.file.close();
    s.generation = 0;
    s.end = HEADER_SIZE;
  }
}

}  // namespace VXP::Zorbel
