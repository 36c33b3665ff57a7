// The answer journal's reader on arbitrary bytes: the bytes as a journal
// file (scanned in memory and read from disk), and the records found in it,
// or the bytes cut into records, loaded into a journal. No crash, memory
// bounded by the input, and every record returned a whole record of the
// file's generation with a good CRC, in order and apart, with appending
// going on after the last of them.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "token_stream_checks.h"
#include "vxb/common/runtime/error.h"
#include "vxp/answer_journal.h"
#include "vxp/journal_file.h"

using fuzz::Check;
using VXP::Zorbel::AnswerJournal;
using VXP::Zorbel::JournalEntry;
using VXP::Zorbel::JournalFile;

namespace {

std::filesystem::path g_dir;

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Every record the scan gives is whole, of the file's generation, with a
// good CRC, after the one before it; its payloads.
std::vector<std::string> CheckScan(const std::uint8_t* data, std::size_t size,
                                   const JournalFile::ScanResult& s) {
  std::vector<std::string> payloads;
  std::size_t end = JournalFile::HEADER_SIZE;
  for (const JournalFile::RecordExtent& r : s.Records) {
    Check(r.Offset >= end + 9 && r.Offset + std::size_t{r.Size} + 4 <= size);
    const std::uint8_t* p = data + r.Offset - 9;
    Check(p[0] == 0xA5 || p[0] == 0xA7);
    Check(Get32(p + 1) == r.Size && Get32(p + 5) == static_cast<std::uint32_t>(s.Generation));
    Check(JournalFile::Crc32(p + 1, 8 + std::size_t{r.Size}) == Get32(p + 9 + r.Size));
    end = r.Offset + r.Size + 4;
    payloads.emplace_back(reinterpret_cast<const char*>(data + r.Offset), r.Size);
  }
  Check(s.End == end);
  Check(s.DamagedStretches <= s.Records.size());
  Check(s.Dropped == 0 || (s.DroppedEnd > s.End && s.DroppedEnd <= size));
  return payloads;
}

// The records loaded: never more entries or replays than records, ids
// rising, and the journal still answers questions.
void CheckLoad(const std::vector<std::string>& records) {
  AnswerJournal j;
  j.SetClock([] { return std::int64_t{1700000000}; });
  unsigned skipped = 0;
  j.Load(records, skipped);
  Check(skipped <= records.size());
  const std::vector<JournalEntry> entries = j.Entries();
  Check(entries.size() + j.Replays().size() <= records.size());
  for (std::size_t i = 1; i < entries.size(); ++i) Check(entries[i].Id > entries[i - 1].Id);
  JournalEntry e;
  if (!entries.empty())
    j.Check(entries.back().Key, entries.back().SequenceGiven, entries.back().Sequence,
            entries.back().Digest, "fuzz", e);
  j.LastUnanswered(e);
  // A record that decodes encodes back to fields that decode the same.
  std::vector<std::string> fields, again;
  for (const std::string& r : records) {
    if (!VXP::Zorbel::DecodeRecord(r, fields)) continue;
    Check(VXP::Zorbel::DecodeRecord(VXP::Zorbel::EncodeRecord(fields), again) && again == fields);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VXB::Error::Init();
  // In memory where there is such a file system: rewriting a file on a
  // disk every run would make the disk, not the reader, the pace.
  const std::filesystem::path shm = "/dev/shm";
  std::error_code e;
  g_dir = (std::filesystem::is_directory(shm, e) ? shm : std::filesystem::temp_directory_path()) /
          "zorbel-journal-fuzz";
  std::filesystem::create_directories(g_dir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  JournalFile::ScanResult scan;
  const bool journal = JournalFile::Scan(data, size, scan);
  std::vector<std::string> payloads;
  if (journal) payloads = CheckScan(data, size, scan);

  // The same bytes from disk give the same records.
  {
    std::ofstream out(g_dir / "journal1.dat", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::vector<std::string> read;
  Check(JournalFile::Read(g_dir.string(), read));
  if (size >= JournalFile::HEADER_SIZE) Check(read == payloads);

  // The records found, else the bytes cut at each newline.
  if (payloads.empty()) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
      const std::size_t cut = rest.find('\n');
      payloads.emplace_back(rest.substr(0, cut));
      rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    }
  }
  CheckLoad(payloads);
  return 0;
}
