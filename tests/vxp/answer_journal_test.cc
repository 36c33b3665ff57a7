// The answer journal: its file (torn, damaged, full, unwritable), and the
// command core with the journal against the controller emulator, through
// lost answers, other clients' commands and crashes at each point of a
// command, followed by a restart from the files.
#include "vxp/answer_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/scratch_dir.h"
#include "vxb/common/io/memory_driver.h"
#include "vxb/common/runtime/error.h"
#include "vxp/command_core.h"
#include "vxp/journal_file.h"
#include "vxp/vxp_errno.h"
#include "zorbel_cli/journal.h"
#include "zorbel_emulator/emulator.h"

namespace VXP::Zorbel {
namespace {

namespace fs = std::filesystem;

class Journal : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VXB::Error::Init();
    VXP::Error::Init();
  }
  std::vector<std::string> Reopen(JournalFile& f, std::uint32_t size = JournalFile::MIN_SIZE) {
    std::vector<std::string> records;
    EXPECT_TRUE(f.Open(dir_.string(), size, records)) << VXB::Error::GetCurrent().Context;
    return records;
  }
  fs::path dir_ = Testing::MakeScratchDir("journal");
};

// Records come back in order after a reopen; a torn last record is left
// out and written over, silently; a damaged record in the middle is read
// past when a flushed record after it proves it was on the disk, and
// otherwise ends the records (what follows was never flushed), both
// reported; a damaged file is set aside; when a file is full the other one
// takes over and the oldest records go. Records 0, 2 and 4 are written
// durable, 1 and 3 are left to the next flush.
TEST_F(Journal, FileKeepsWholeRecordsOnly) {
  enum class Harm { NONE, TEAR_LAST, DAMAGE_RECORD, DAMAGE_HEADER, FILL };
  struct Case {
    const char* name;
    Harm harm;
    unsigned record;  // the record harmed
    unsigned written;
    const char* kept;  // records read back, by number
    unsigned damaged_files;
    unsigned damaged_records;  // stretches read past
    unsigned dropped;          // records left out after one
  };
  const Case cases[] = {
      {"intact", Harm::NONE, 0, 5, "01234", 0, 0, 0},
      {"torn last record", Harm::TEAR_LAST, 4, 5, "0123", 0, 0, 0},
      {"damaged record before a flushed one", Harm::DAMAGE_RECORD, 1, 5, "0234", 0, 1, 0},
      {"damaged first record", Harm::DAMAGE_RECORD, 0, 5, "1234", 0, 1, 0},
      {"damaged record after the last flush", Harm::DAMAGE_RECORD, 3, 5, "012", 0, 0, 1},
      {"damaged record, none flushed after it", Harm::DAMAGE_RECORD, 2, 5, "01", 0, 0, 2},
      {"damaged header", Harm::DAMAGE_HEADER, 0, 5, "", 1, 0, 0},
      {"both files in turn", Harm::FILL, 0, 300, "", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const std::string big(c.harm == Harm::FILL ? 1000 : 10, 'x');
    {
      JournalFile f;
      EXPECT_TRUE(Reopen(f).empty());
      for (unsigned i = 0; i < c.written; ++i)
        ASSERT_TRUE(f.Append(std::to_string(i) + big, i % 2 == 0));
      f.Close();
      // Each file takes its full size at once.
      EXPECT_EQ(fs::file_size(f.Path(0)), JournalFile::MIN_SIZE);
      EXPECT_EQ(fs::file_size(f.Path(1)), JournalFile::MIN_SIZE);
    }
    const fs::path first = dir_ / "journal1.dat";
    const std::uintmax_t record_at =
        JournalFile::HEADER_SIZE + c.record * (JournalFile::RECORD_OVERHEAD + 11);
    if (c.harm == Harm::TEAR_LAST) {
      // The last record loses its checksum's last byte: it was being
      // written when the power went.
      std::fstream io(first, std::ios::in | std::ios::out | std::ios::binary);
      io.seekp(static_cast<std::streamoff>(record_at + JournalFile::RECORD_OVERHEAD + 10));
      io.put('\0');
    } else if (c.harm == Harm::DAMAGE_RECORD) {
      // A byte of the record's payload goes bad.
      std::fstream io(first, std::ios::in | std::ios::out | std::ios::binary);
      io.seekp(static_cast<std::streamoff>(record_at + 12));
      io.put('?');
    } else if (c.harm == Harm::DAMAGE_HEADER) {
      std::fstream io(first, std::ios::in | std::ios::out | std::ios::binary);
      io.seekp(3);
      io.put('?');
    }
    JournalFile f;
    std::vector<std::string> back = Reopen(f);
    EXPECT_EQ(f.Damaged().size(), c.damaged_files);
    EXPECT_EQ(f.DamagedRecords(), c.damaged_records);
    EXPECT_EQ(f.DroppedRecords(), c.dropped);
    const std::string kept = c.kept;
    if (c.harm == Harm::FILL) {
      // Newest last, in order, and fewer than were written.
      ASSERT_FALSE(back.empty());
      EXPECT_LT(back.size(), c.written);
      EXPECT_EQ(back.back(), std::to_string(c.written - 1) + big);
      for (std::size_t i = 1; i < back.size(); ++i)
        EXPECT_EQ(std::stoul(back[i]), std::stoul(back[i - 1]) + 1);
    } else {
      ASSERT_EQ(back.size(), kept.size());
      for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(back[i], kept.substr(i, 1) + big);
    }
    // Appending goes on after what was kept, and survives a reopen; a
    // record the size of one left out, written in its place, is not
    // followed by the rest of them.
    const std::string after = "after-" + std::string(5, 'a');
    ASSERT_TRUE(f.Append(after, true));
    f.Close();
    std::vector<std::string> again;
    ASSERT_TRUE(JournalFile::Read(dir_.string(), again));
    ASSERT_FALSE(again.empty());
    EXPECT_EQ(again.back(), after);
    EXPECT_EQ(again.size(), c.harm == Harm::FILL ? back.size() + 1 : kept.size() + 1);
  }
  JournalFile f;
  std::vector<std::string> none;
  EXPECT_FALSE(f.Open((dir_ / "missing" / "deeper").string(), JournalFile::MIN_SIZE, none));
}

// Which requests are answered from the journal, which are refused and
// which go to the controller.
TEST_F(Journal, ReplayRules) {
  AnswerJournal j;
  std::int64_t now = 1000;
  j.SetClock([&now] { return now; });
  auto sent = [&j](const char* key, int seq, std::uint64_t digest) {
    JournalEntry e;
    e.Key = key;
    e.SequenceGiven = seq > 0;
    e.Sequence = seq > 0 ? static_cast<unsigned>(seq) : 0;
    e.Digest = digest;
    EXPECT_TRUE(j.Begin(e));
    return e.Id;
  };
  auto answered = [&j](std::uint64_t id, const char* doc) {
    EXPECT_TRUE(j.Finish(id, JournalEntry::Outcomes::ANSWERED, 200, 1, 1, doc));
  };
  using V = AnswerJournal::Verdict;
  JournalEntry e;
  const std::uint64_t a = sent("k1", 0, 11);
  EXPECT_EQ(j.Check("k1", false, 0, 11, "c", e), V::KEY_RUNNING);
  answered(a, "A");
  EXPECT_EQ(j.Check("k1", false, 0, 11, "c", e), V::REPLAY);
  EXPECT_EQ(e.Document, "A");
  EXPECT_EQ(j.Check("k1", false, 0, 12, "c", e), V::KEY_REUSED);
  EXPECT_EQ(j.Check("k2", false, 0, 11, "c", e), V::SEND);
  answered(sent("", 5, 21), "S5");
  // Commands without a Secuencia between do not matter.
  answered(sent("", 0, 99), "status");
  EXPECT_EQ(j.Check("", true, 5, 21, "c", e), V::REPLAY);
  EXPECT_EQ(e.Document, "S5");
  // The replays so far by what matched them, and the latest entries first.
  EXPECT_EQ(j.CountReplays().ByKey, 1u);
  EXPECT_EQ(j.CountReplays().BySequence, 1u);
  const std::vector<JournalEntry> recent = j.Recent(2);
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0].Digest, 99u);
  EXPECT_EQ(recent[1].Digest, 21u);
  EXPECT_EQ(recent[1].Replays, 1u);
  EXPECT_EQ(j.Recent(100).size(), 3u);
  EXPECT_EQ(j.Check("", true, 6, 21, "c", e), V::SEND);  // the same item again
  EXPECT_EQ(j.Check("", true, 5, 22, "c", e), V::SEND);  // the number after a cycle
  // An error is not replayed: the command is sent again.
  const std::uint64_t f = sent("k3", 7, 31);
  EXPECT_TRUE(j.Finish(f, JournalEntry::Outcomes::IN_DOUBT, 200, 1, 1, "error"));
  EXPECT_EQ(j.Check("k3", false, 0, 31, "c", e), V::SEND);
  EXPECT_EQ(j.Check("", true, 7, 31, "c", e), V::SEND);
  EXPECT_EQ(j.Check("", true, 5, 21, "c", e), V::SEND);  // no longer the latest
  // Keys outlive 10,000 commands for a day, and commands outlive a day.
  for (unsigned i = 0; i < AnswerJournal::KEEP_COMMANDS + 5; ++i) answered(sent("", 0, i), "x");
  EXPECT_EQ(j.Check("k1", false, 0, 11, "c", e), V::REPLAY);
  now += AnswerJournal::KEEP_SECONDS + 1;
  answered(sent("", 0, 1), "x");
  EXPECT_EQ(j.Check("k1", false, 0, 11, "c", e), V::SEND);
  EXPECT_EQ(j.CountReplays().ByKey, 2u);
  EXPECT_EQ(j.CountReplays().BySequence, 1u);
  EXPECT_EQ(j.Entries().size(), AnswerJournal::KEEP_COMMANDS);

  // Keys: 1..255 visible bytes.
  EXPECT_TRUE(ValidIdempotencyKey(std::string(255, 'k')));
  for (const std::string& bad : {std::string(), std::string(256, 'k'), std::string("a\tb"),
                                 std::string("a\x7F"), std::string("a\x01")})
    EXPECT_FALSE(ValidIdempotencyKey(bad)) << bad.size();
}

// Which records wait for the disk before the call returns: the intent
// (its packet goes out next); an error (lost, its packet would be put in
// doubt and sent after the client was told it failed); not the
// controller's answer, which the next intent's flush or an idle Flush
// takes to the disk; not a replay.
TEST_F(Journal, WhatWaitsForTheDisk) {
  struct CountingStore final : JournalStore {
    bool Append(std::string_view Record, bool Durable) override {
      kinds += Record.substr(2, 1);
      durable += Durable ? "d" : "-";
      return true;
    }
    bool Flush() override {
      ++flushes;
      return true;
    }
    std::string kinds, durable;
    unsigned flushes = 0;
  };
  struct Case {
    const char* name;
    JournalEntry::Outcomes outcome;
    const char* durable;  // intent, answer, replay
  };
  const Case cases[] = {
      {"answered", JournalEntry::Outcomes::ANSWERED, "d--"},
      {"failed", JournalEntry::Outcomes::FAILED, "dd"},
      {"in doubt", JournalEntry::Outcomes::IN_DOUBT, "dd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountingStore store;
    AnswerJournal j(&store);
    JournalEntry e;
    e.Key = "k";
    ASSERT_TRUE(j.Begin(e));
    ASSERT_TRUE(j.Finish(e.Id, c.outcome, 200, 1, 1, "{}"));
    JournalEntry seen;
    j.Check("k", false, 0, 0, "c", seen);
    EXPECT_EQ(store.durable, c.durable) << store.kinds;
    EXPECT_TRUE(j.Flush());
    EXPECT_EQ(store.flushes, 1u);
  }
}

// A store that stops keeping records at a given one, as a process killed
// there would; it may halt the exchange once the intent is kept (a crash
// before the packet went out).
class CrashingStore final : public JournalStore {
 public:
  CrashingStore(JournalFile& File, unsigned KeepUpTo, VardexPacketProtocol* HaltAfterIntent)
      : file_(File), keep_(KeepUpTo), halt_(HaltAfterIntent) {}
  bool Append(std::string_view Record, bool Durable) override {
    if (++count_ > keep_) return true;  // lost with the process
    if (!file_.Append(Record, Durable)) return false;
    if (halt_ != nullptr && Record.substr(0, 3) == "1:I") halt_->Halt();
    return true;
  }

 private:
  JournalFile& file_;
  unsigned keep_;
  unsigned count_ = 0;
  VardexPacketProtocol* halt_;
};

// The bridge's half in memory: protocol, journal and files, over a line to
// the emulator, which outlives restarts of this half.
struct Bridge {
  explicit Bridge(VXB::Driver::Memory& Line) {
    EXPECT_TRUE(protocol.SetDriver(&Line));
    protocol.Configure(1, 400);
  }
  bool Open(const std::string& Dir, unsigned KeepUpTo, bool HaltAfterIntent) {
    std::vector<std::string> records;
    if (!file.Open(Dir, JournalFile::MIN_SIZE, records)) return false;
    store = std::make_unique<CrashingStore>(file, KeepUpTo, HaltAfterIntent ? &protocol : nullptr);
    journal = std::make_unique<AnswerJournal>(store.get());
    unsigned skipped = 0;
    journal->Load(records, skipped);
    RestoreDoubt(*journal, protocol);
    return true;
  }
  CommandAnswer Send(const std::string& Doc, const char* Key) {
    CommandRequest r;
    r.ContentType = VXB::MIME::JSON;
    r.Document = Doc;
    r.Client = "test";
    r.IdempotencyKey = Key;
    CommandAnswer a;
    RunCommand(r, &protocol, journal.get(), nullptr, a);
    return a;
  }
  VardexPacketProtocol protocol{true};
  JournalFile file;
  std::unique_ptr<CrashingStore> store;
  std::unique_ptr<AnswerJournal> journal;
};

// A command dies with the bridge at each point: after its intent is on
// disk but before the packet went out; after the controller acknowledged
// and executed it but before its answer came; after the reply went to the
// client but before its answer record reached the disk (the answer waits
// for the next command's flush). After a restart, the till's resend (same
// key or same Secuencia) is answered, with or without another client's
// command first, and the controller has executed the line exactly once;
// also when the packet went out under a number other than the one the
// restarted bridge starts from (commands before it).
TEST_F(Journal, CrashAtEachPointThenRestart) {
  enum class Point { BEFORE_SEND, AFTER_ACK, AFTER_REPLY };
  struct Case {
    const char* name;
    Point point;
    bool with_key;
    bool other_first;
    unsigned number;  // the packet's number; 0: the first one
  };
  const Case cases[] = {
      {"before send, key", Point::BEFORE_SEND, true, false, 0},
      {"before send, seq, other first", Point::BEFORE_SEND, false, true, 0},
      {"after ack, key, other first", Point::AFTER_ACK, true, true, 0},
      {"after ack, key, later number", Point::AFTER_ACK, true, false, 40},
      {"after ack, seq", Point::AFTER_ACK, false, false, 0},
      {"after ack, seq, other first", Point::AFTER_ACK, false, true, 0},
      {"after reply, key", Point::AFTER_REPLY, true, false, 0},
      {"after reply, key, later number", Point::AFTER_REPLY, true, false, 40},
      {"after reply, seq, other first", Point::AFTER_REPLY, false, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    VXB::Driver::Memory line{"line"};
    VXB::Driver::Memory host{"host"};
    VXB::Driver::Memory::Connect(line, host);
    ZorbelEmulator::Options o;
    o.Inject.AckOnly = c.point == Point::AFTER_ACK ? 1 : 0;
    ZorbelEmulator::Emulator emu(line, o);
    std::thread serving([&emu] { emu.Serve(); });

    const std::string item = R"({"ImprimirTextoFiscal":{"Texto":"Linea 7","Secuencia":"4"}})";
    const std::string doc = c.with_key ? R"({"ImprimirTextoFiscal":{"Texto":"Linea 7"}})" : item;
    const char* key = c.with_key ? "venta-1-linea-7" : nullptr;
    {
      Bridge before(host);
      // Records kept: the intent (1); the answer (2), sent to the client
      // but not yet on the disk, is lost with the machine.
      ASSERT_TRUE(before.Open(dir_.string(), 1, c.point == Point::BEFORE_SEND));
      if (c.number != 0) {
        ASSERT_TRUE(before.protocol.SetNextSequence(c.number));
      }
      const CommandAnswer a = before.Send(doc, key);
      EXPECT_EQ(a.Error.Error == VXB::Error::NO_CURRENT_ERROR, c.point == Point::AFTER_REPLY);
    }
    Bridge after(host);
    ASSERT_TRUE(after.Open(dir_.string(), 1000, false));
    if (c.other_first) {
      const CommandAnswer s = after.Send(R"({"ConsultarEstado":{}})", nullptr);
      EXPECT_EQ(s.Error.Error, VXB::Error::NO_CURRENT_ERROR) << s.Document;
    }
    const CommandAnswer again = after.Send(doc, key);
    EXPECT_EQ(again.Error.Error, VXB::Error::NO_CURRENT_ERROR) << again.Document;
    EXPECT_NE(again.Document.find("\"ImprimirTextoFiscal\""), std::string::npos) << again.Document;
    // Sent once more, it is a replay for certain.
    const CommandAnswer third = after.Send(doc, key);
    EXPECT_TRUE(third.Replayed);
    EXPECT_EQ(third.Document, again.Document);
    emu.Stop();
    serving.join();
    unsigned runs = 0;
    for (const ZorbelEmulator::Execution& e : emu.Executions())
      if (e.Packet.find("Linea 7") != std::string::npos) runs += e.Count;
    EXPECT_EQ(runs, 1u) << emu.Summary();
  }
}

// What `zorbel-cli journal` shows of a journal on disk: one line per
// command with its time, client, key or Secuencia, name, outcome and
// replays, then the replays; --since leaves older ones out; --json.
TEST_F(Journal, ListingShowsWhatWasPrinted) {
  {
    JournalFile f;
    std::vector<std::string> none;
    ASSERT_TRUE(f.Open(dir_.string(), JournalFile::MIN_SIZE, none));
    AnswerJournal j(&f);
    std::int64_t now = 86400;  // 1970-01-02
    j.SetClock([&now] { return now; });
    JournalEntry a;
    a.Client = "10.0.0.5";
    a.Key = "venta-9";
    a.Command = 0x41;
    ASSERT_TRUE(j.Begin(a));
    ASSERT_TRUE(j.Finish(a.Id, JournalEntry::Outcomes::ANSWERED, 200, 1, 1, "{}"));
    now += 3661;
    JournalEntry b;
    b.Client = "10.0.0.6";
    b.SequenceGiven = true;
    b.Sequence = 12;
    b.Command = 0x2A;
    ASSERT_TRUE(j.Begin(b));
    ASSERT_TRUE(j.Finish(b.Id, JournalEntry::Outcomes::IN_DOUBT, 200, 1, 1, "{}"));
    JournalEntry seen;
    EXPECT_EQ(j.Check("venta-9", false, 0, 0, "10.0.0.5", seen), AnswerJournal::Verdict::REPLAY);
  }
  std::ostringstream text;
  ASSERT_TRUE(ZorbelCli::ListJournal(dir_.string(), 0, false, text));
  EXPECT_EQ(text.str(),
            "1970-01-02T00:00:00Z\t10.0.0.5\tkey=venta-9\tImprimirTextoFiscal\tanswered\t1\n"
            "1970-01-02T01:01:01Z\t10.0.0.6\tseq=12\tConsultarEstado\tin-doubt\t0\n"
            "replay\t1970-01-02T01:01:01Z\t10.0.0.5\t1\n");
  std::int64_t since = 0;
  ASSERT_TRUE(ZorbelCli::ParseSince("1970-01-02T00:30", since));
  EXPECT_EQ(since, 86400 + 1800);
  std::ostringstream later;
  ASSERT_TRUE(ZorbelCli::ListJournal(dir_.string(), since, false, later));
  EXPECT_EQ(later.str().find("venta-9\t"), std::string::npos) << later.str();
  std::ostringstream json;
  ASSERT_TRUE(ZorbelCli::ListJournal(dir_.string(), 0, true, json));
  EXPECT_NE(
      json.str().find(R"("key": "venta-9", "secuencia": null, "command": "ImprimirTextoFiscal")"),
      std::string::npos)
      << json.str();
  EXPECT_FALSE(ZorbelCli::ParseSince("1970-13-01", since));
  EXPECT_FALSE(ZorbelCli::ListJournal((dir_ / "none").string(), 0, false, text));
}

// A journal that cannot keep the command's intent (a disk gone bad): the
// command fails before it is sent, and nothing is printed without its
// record; the failure shows.
TEST_F(Journal, CommandNotSentWithoutItsRecord) {
  struct FailingStore final : JournalStore {
    bool Append(std::string_view, bool) override {
      return VXB::Error::SetWithContext(VXB::Error::IO_FS_ERROR, "disco lleno");
    }
  } store;
  VXB::Driver::Memory line{"line"};
  VXB::Driver::Memory host{"host"};
  VXB::Driver::Memory::Connect(line, host);
  ZorbelEmulator::Emulator emu(line, {});
  std::thread serving([&emu] { emu.Serve(); });
  VardexPacketProtocol protocol{true};
  ASSERT_TRUE(protocol.SetDriver(&host));
  AnswerJournal journal(&store);
  CommandRequest r;
  r.ContentType = VXB::MIME::JSON;
  r.Document = R"({"ImprimirTextoFiscal":{"Texto":"Sin registro"}})";
  CommandAnswer a;
  EXPECT_FALSE(RunCommand(r, &protocol, &journal, nullptr, a));
  EXPECT_FALSE(a.Sent);
  EXPECT_EQ(a.Error.Error, Error::PROTOCOL_COMMAND_REJECTED);
  EXPECT_NE(a.Document.find("No se pudo registrar el comando en el diario"), std::string::npos)
      << a.Document;
  EXPECT_TRUE(journal.StoreFailed());
  emu.Stop();
  serving.join();
  EXPECT_EQ(emu.GetStats().BytesReceived.load(), 0u);
}

}  // namespace
}  // namespace VXP::Zorbel
