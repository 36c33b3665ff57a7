// The answer journal on disk: two files in turn in one directory,
// "journal1.dat" and "journal2.dat", each taking its full size when the
// bridge starts (so that a disk that fills up later cannot stop it), each
// beginning with a header that names its generation.
//
// Layout (numbers little-endian):
//   header  "ZORBELJ1", generation (8 bytes), size (8 bytes), CRC-32 of
//           those 24 bytes (4 bytes), 4 zero bytes
//   record  mark, payload length (4), generation's low 32 bits (4),
//           payload, CRC-32 of length, generation and payload (4); the
//           mark is 0xA7 for a record flushed to the disk before Append
//           returned, 0xA5 for one left to the next flush
// Records follow the header. Only whole records of the file's generation
// with a good CRC count: so a record torn by a crash is ignored, and so
// are the older records a reused file still holds after its new ones.
// Bytes that are not such a record in the middle of the records (a
// damaged sector) are read past when a flushed record after them, itself
// followed by another, shows they were on the disk; otherwise they may be
// a record lost with unflushed pages in a power cut, and the records after
// them are left out (they were never flushed, so nothing was sent on
// them). Either is counted and logged at Open; a torn last record is not.
// When a record does not fit the current file, the other one is taken
// with the next generation, and its older records are lost (size the
// files to hold a day of commands).
//
// A file whose header is damaged is set aside (renamed with ".damaged"),
// reported by Damaged(), and replaced by an empty one: never a reason not
// to start.
//
// Thread safety: one thread at a time (the journal calls it under its
// lock).
#ifndef VXP_JOURNAL_FILE_H_
#define VXP_JOURNAL_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vxb/common/runtime/file.h"
#include "vxp/answer_journal.h"

namespace VXP::Zorbel {

class JournalFile final : public JournalStore {
 public:
  static constexpr std::uint32_t DEFAULT_SIZE = 4u << 20;
  static constexpr std::uint32_t MIN_SIZE = 64u << 10;
  static constexpr unsigned HEADER_SIZE = 32;
  // Bytes a record takes around its payload.
  static constexpr unsigned RECORD_OVERHEAD = 13;

  // Where a record's payload lies in a file's bytes.
  struct RecordExtent {
    std::size_t Offset = 0;
    std::uint32_t Size = 0;
  };
  // What a file's bytes hold.
  struct ScanResult {
    bool Blank = false;            // a file never used (zeros)
    std::uint64_t Generation = 0;  // 0: blank
    std::vector<RecordExtent> Records;
    std::size_t End = HEADER_SIZE;  // where appending goes on
    // Damaged stretches read past, records left out after one, and where
    // the last of those ends.
    unsigned DamagedStretches = 0;
    unsigned Dropped = 0;
    std::size_t DroppedEnd = 0;
  };

  JournalFile() = default;
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  ~JournalFile() override { Close(); }

  // Opens (creating) both files of Directory ("" for the current one) at
  // Size bytes each (at least MIN_SIZE), reads their records, oldest
  // first, into Records, and makes ready to append. False (with the error
  // recorded) when the directory cannot be written.
  bool Open(const std::string& Directory, std::uint32_t Size, std::vector<std::string>& Records);
  bool Append(std::string_view Record, bool Durable) override;
  bool Flush() override;
  // Reads the records of Directory's files, oldest first, changing
  // nothing (for tools); false when neither file can be read.
  static bool Read(const std::string& Directory, std::vector<std::string>& Records);
  // Flushes what is pending and closes both files.
  void Close();

  // The files set aside at Open, by name.
  const std::vector<std::string>& Damaged() const { return damaged_; }
  // At Open: damaged stretches read past, and records left out after one.
  unsigned DamagedRecords() const { return damaged_records_; }
  unsigned DroppedRecords() const { return dropped_records_; }

  // Reads a whole file's bytes (header and records); false when the
  // header is not a journal's. Checks every length against Size.
  static bool Scan(const unsigned char* Bytes, std::size_t Size, ScanResult& Out);
  // The path of file n (0 or 1).
  std::string Path(unsigned n) const;

  // The CRC-32 (IEEE) of Bytes.
  static std::uint32_t Crc32(const void* Bytes, std::size_t Size, std::uint32_t Start = 0);

 private:
  struct Side {
    VXB::File file;
    std::uint64_t generation = 0;  // 0: never used
    std::uint64_t end = HEADER_SIZE;
    bool unflushed = false;  // records written since the last flush
  };
  bool OpenSide(unsigned n, std::vector<std::string>& Records);
  // Reads file n's header into its side's generation (0: blank); false
  // when the header is not a journal's.
  bool ReadHeader(Side& s, bool& Blank);
  bool Preallocate(Side& s);
  bool WriteAt(Side& s, std::uint64_t Offset, const void* Bytes, unsigned Size);
  bool WriteHeader(Side& s);
  void ReadRecords(Side& s, ScanResult& Scanned, std::vector<std::string>& Records);
  bool Switch();

  std::string directory_;
  std::uint32_t size_ = DEFAULT_SIZE;
  Side sides_[2];
  unsigned current_ = 0;
  std::vector<std::string> damaged_;
  unsigned damaged_records_ = 0;
  unsigned dropped_records_ = 0;
  std::vector<unsigned char> buffer_;
};

}  // namespace VXP::Zorbel

#endif  // VXP_JOURNAL_FILE_H_
