// The answer journal: every command that reached the controller, with what
// identifies it (the client's "Secuencia", its Idempotency-Key, a digest of
// the packet), the packet number, the time and the answer document as it
// was sent. A client that sends a command again after a lost answer is
// answered from here instead of having the controller execute it twice:
//
//  - a request with an Idempotency-Key already recorded with the same
//    digest gets the recorded answer; the same key with another digest is
//    refused (KEY_REUSED); a key whose first request still runs is refused
//    (KEY_RUNNING);
//  - a request with the same "Secuencia" and digest as the latest request
//    that carried a "Secuencia" gets that request's answer, whatever came
//    between without one.
//
// Only answers the controller gave are replayed: a command that ended in an
// error (no answer) is sent again, and the packet protocol's doubt rule
// keeps the controller from executing it twice. Keys are kept at least
// KEEP_SECONDS or the last KEEP_COMMANDS commands, whichever is longer,
// never more than MAX_ENTRIES.
//
// Every change is handed to a Store (the journal file) as one record before
// it takes effect, so that a restarted bridge finds the same journal
// (Load). Records are text fields in a small length-prefixed layout
// (EncodeRecord / DecodeRecord); the store frames and checks them.
//
// Thread safety: every member may be called from any thread; one lock
// guards the entries.
#ifndef VXP_ANSWER_JOURNAL_H_
#define VXP_ANSWER_JOURNAL_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxp/vardex_data_container.h"

namespace VXP::Zorbel {

inline constexpr std::size_t MAX_IDEMPOTENCY_KEY = 255;

// A key a client may use: 1 to MAX_IDEMPOTENCY_KEY bytes, none of them a
// control character.
bool ValidIdempotencyKey(std::string_view Key);

// The packet's digest: command byte, encoding and fields as they go to the
// controller, so that spacing in the document does not matter.
std::uint64_t PacketDigest(const VardexDataContainer& Command);

// Where records go; the journal file, or nothing for a journal in memory.
class JournalStore {
 public:
  virtual ~JournalStore() = default;
  // Appends one record, on the disk before it returns when Durable; false
  // with the failure recorded in the calling thread's error record.
  virtual bool Append(std::string_view Record, bool Durable) = 0;
  // Puts every record appended so far on the disk.
  virtual bool Flush() { return true; }
};

struct JournalEntry {
  enum class Outcomes : unsigned char {
    RUNNING = 0,   // recorded before sending; no answer yet
    ANSWERED = 1,  // the controller's answer is in Document
    FAILED = 2,    // ended without an answer (Document: the error sent)
    IN_DOUBT = 3,  // as FAILED, after the controller acknowledged it
  };
  std::uint64_t Id = 0;
  std::int64_t Time = 0;  // seconds since 1970-01-01 UTC
  std::string Client;
  std::string Key;  // empty: none
  bool SequenceGiven = false;
  unsigned Sequence = 0;
  std::uint64_t Digest = 0;
  unsigned PacketNumber = 0;
  // The packet: command, encoding and fields joined by FS.
  VXB::Byte Command = 0;
  unsigned Encoding = 0;
  std::string Fields;
  // The request's format, which the answer is written in.
  unsigned ContentType = 0;
  unsigned Charset = 0;
  Outcomes Outcome = Outcomes::RUNNING;
  // The answer as sent: status, content type and charset, bytes.
  unsigned Status = 0;
  unsigned AnswerType = 0;
  unsigned AnswerCharset = 0;
  std::string Document;
  // Requests answered from this entry.
  unsigned Replays = 0;
  // Begun by this process and not finished (not stored).
  bool InFlight = false;
};

// One replayed request, for the listing.
struct JournalReplay {
  std::int64_t Time = 0;
  std::string Client;
  std::uint64_t Of = 0;  // the entry whose answer was sent
};

// Requests answered from the journal since start, by what matched them.
struct ReplayCounts {
  std::uint64_t ByKey = 0;       // their Idempotency-Key
  std::uint64_t BySequence = 0;  // their "Secuencia" and document
};

class AnswerJournal {
 public:
  static constexpr std::int64_t KEEP_SECONDS = 24 * 3600;
  static constexpr std::size_t KEEP_COMMANDS = 10000;
  static constexpr std::size_t MAX_ENTRIES = 200000;

  enum class Verdict { SEND, REPLAY, KEY_REUSED, KEY_RUNNING };

  // Store may be null (memory only); it is not owned.
  explicit AnswerJournal(JournalStore* Store = nullptr);

  // The clock (seconds since 1970 UTC); tests set their own.
  void SetClock(std::function<std::int64_t()> Now) { now_ = std::move(Now); }

  // What to do with a request: Key empty for none. On REPLAY, Entry is a
  // copy of the entry whose answer to send (and the replay is recorded).
  Verdict Check(std::string_view Key, bool SequenceGiven, unsigned Sequence, std::uint64_t Digest,
                const char* Client, JournalEntry& Entry);
  // Records the intent before the packet is sent; Entry's Id and Time are
  // set. False when the record could not be stored (nothing may be sent).
  bool Begin(JournalEntry& Entry);
  // Records the answer sent for entry Id (ANSWERED or FAILED). An answer
  // the controller gave reaches the disk with the next intent (a power cut
  // before then leaves the packet in doubt, settled with the controller
  // at restart); an error reaches it before this returns. False when the
  // record could not be stored; the entry changes in memory anyway.
  bool Finish(std::uint64_t Id, JournalEntry::Outcomes Outcome, unsigned Status,
              unsigned AnswerType, unsigned AnswerCharset, std::string_view Document);
  // The latest entry sent with this packet number and digest that has no
  // answer yet; false when there is none.
  bool FindUnanswered(unsigned PacketNumber, std::uint64_t Digest, JournalEntry& Entry) const;
  // Puts the records still waiting for the disk there; false (the failure
  // kept for StoreFailed) when it could not.
  bool Flush();
  // The latest entry, when it has no answer (the packet may be in doubt).
  bool LastUnanswered(JournalEntry& Entry) const;

  // Rebuilds the journal from stored records, oldest first; records that
  // cannot be read are skipped and counted.
  void Load(const std::vector<std::string>& Records, unsigned& Skipped);

  // Every entry (oldest first) and every replay, for the listing.
  std::vector<JournalEntry> Entries() const;
  std::vector<JournalReplay> Replays() const;
  // The latest Count entries at most, newest first, for the index page.
  std::vector<JournalEntry> Recent(std::size_t Count) const;
  ReplayCounts CountReplays() const;
  // A store failure since start, for the index page.
  bool StoreFailed() const;

 private:
  JournalEntry* Find(std::uint64_t Id);
  const JournalEntry* FindConst(std::uint64_t Id) const;
  void Apply(const std::vector<std::string>& Fields);
  void Index(const JournalEntry& E);
  void Prune();
  bool Store(const std::vector<std::string>& Fields, bool Durable);

  JournalStore* store_;
  std::function<std::int64_t()> now_;
  mutable std::mutex mutex_;
  std::deque<JournalEntry> entries_;
  std::deque<JournalReplay> replays_;
  std::unordered_map<std::string, std::uint64_t> keys_;
  std::uint64_t next_id_ = 1;
  std::uint64_t last_sequenced_ = 0;
  bool store_failed_ = false;
  ReplayCounts replay_counts_;
};

// The record layout: each field as its length in decimal, ':', its bytes.
std::string EncodeRecord(const std::vector<std::string>& Fields);
// False when Record is not a whole sequence of such fields.
bool DecodeRecord(std::string_view Record, std::vector<std::string>& Fields);

}  // namespace VXP::Zorbel

#endif  // VXP_ANSWER_JOURNAL_H_
