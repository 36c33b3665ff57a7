#include "vxp/answer_journal.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "vxb/common/runtime/error.h"

namespace VXP::Zorbel {

namespace {

std::string Number(std::uint64_t n) { return std::to_string(n); }

std::string Hex(std::uint64_t n) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(n));
  return text;
}

// A field as an unsigned number; 0 when it is not one.
std::uint64_t ToNumber(const std::string& Text, int Base = 10) {
  std::uint64_t n = 0;
  for (char c : Text) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (Base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return 0;
    }
    n = n * static_cast<unsigned>(Base) + digit;
  }
  return n;
}

// Record kinds: the intent before sending, the answer, a replay.
constexpr const char* INTENT = "I";
constexpr const char* ANSWER = "A";
constexpr const char* REPLAY = "R";
constexpr std::size_t INTENT_FIELDS = 14;
constexpr std::size_t ANSWER_FIELDS = 7;
constexpr std::size_t REPLAY_FIELDS = 4;

std::vector<std::string> IntentFields(const JournalEntry& e) {
  return {INTENT,
          Number(e.Id),
          Number(static_cast<std::uint64_t>(e.Time)),
          e.Client,
          e.Key,
          e.SequenceGiven ? "1" : "0",
          Number(e.Sequence),
          Hex(e.Digest),
          Number(e.PacketNumber),
          Number(e.Command),
          Number(e.Encoding),
          e.Fields,
          Number(e.ContentType),
          Number(e.Charset)};
}

JournalEntry EntryFromIntent(const std::vector<std::string>& f) {
  JournalEntry e;
  e.Id = ToNumber(f[1]);
  e.Time = static_cast<std::int64_t>(ToNumber(f[2]));
  e.Client = f[3];
  e.Key = f[4];
  e.SequenceGiven = f[5] == "1";
  e.Sequence = static_cast<unsigned>(ToNumber(f[6]));
  e.Digest = ToNumber(f[7], 16);
  e.PacketNumber = static_cast<unsigned>(ToNumber(f[8]));
  e.Command = static_cast<VXB::Byte>(ToNumber(f[9]));
  e.Encoding = static_cast<unsigned>(ToNumber(f[10]));
  e.Fields = f[11];
  e.ContentType = static_cast<unsigned>(ToNumber(f[12]));
  e.Charset = static_cast<unsigned>(ToNumber(f[13]));
  return e;
}

}  // namespace

bool ValidIdempotencyKey(std::string_view Key) {
  if (Key.empty() || Key.size() > MAX_IDEMPOTENCY_KEY) return false;
  return std::none_of(Key.begin(), Key.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

std::uint64_t PacketDigest(const VardexDataContainer& Command) {
  // FNV-1a over the command byte, the encoding and the fields' bytes.
  std::uint64_t h = 14695981039346656037ull;
  auto add = [&h](VXB::Byte b) {
    h ^= b;
    h *= 1099511628211ull;
  };
  add(Command.GetCommand());
  add(static_cast<VXB::Byte>(Command.GetEncoding()));
  unsigned size = 0;
  const VXB::Byte* bytes = Command.GetData().GetBinary(size);
  if (bytes != nullptr) {
    for (unsigned i = 0; i < size; ++i) add(bytes[i]);
  }
  return h;
}

std::string EncodeRecord(const std::vector<std::string>& Fields) {
  std::string out;
  for (const std::string& f : Fields) {
    out += std::to_string(f.size());
    out.push_back(':');
    out += f;
  }
  return out;
}

bool DecodeRecord(std::string_view Record, std::vector<std::string>& Fields) {
  Fields.clear();
  while (!Record.empty()) {
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < Record.size() && i < 10 && Record[i] >= '0' && Record[i] <= '9')
      length = length * 10 + static_cast<std::size_t>(Record[i++] - '0');
    if (i == 0 || i >= Record.size() || Record[i] != ':') return false;
    Record.remove_prefix(i + 1);
    if (length > Record.size()) return false;
    Fields.emplace_back(Record.substr(0, length));
    Record.remove_prefix(length);
  }
  return true;
}

AnswerJournal::AnswerJournal(JournalStore* Store)
    : store_(Store), now_([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

JournalEntry* AnswerJournal::Find(std::uint64_t Id) {
  return const_cast<JournalEntry*>(FindConst(Id));
}

const JournalEntry* AnswerJournal::FindConst(std::uint64_t Id) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), Id,
                             [](const JournalEntry& e, std::uint64_t id) { return e.Id < id; });
  return it != entries_.end() && it->Id == Id ? &*it : nullptr;
}

bool AnswerJournal::Store(const std::vector<std::string>& Fields, bool Durable) {
  if (store_ == nullptr) return true;
  if (store_->Append(EncodeRecord(Fields), Durable)) return true;
  store_failed_ = true;
  return false;
}

AnswerJournal::Verdict AnswerJournal::Check(std::string_view Key, bool SequenceGiven,
                                            unsigned Sequence, std::uint64_t Digest,
                                            const char* Client, JournalEntry& Entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  const JournalEntry* found = nullptr;
  bool by_key = false;
  if (!Key.empty()) {
    auto it = keys_.find(std::string(Key));
    const JournalEntry* e = it != keys_.end() ? FindConst(it->second) : nullptr;
    if (e != nullptr) {
      if (e->Digest != Digest) return Verdict::KEY_REUSED;
      if (e->InFlight) return Verdict::KEY_RUNNING;
      if (e->Outcome == JournalEntry::Outcomes::ANSWERED) found = e;
      by_key = found != nullptr;
    }
  }
  if (found == nullptr && SequenceGiven && last_sequenced_ != 0) {
    const JournalEntry* e = FindConst(last_sequenced_);
    if (e != nullptr && e->Sequence == Sequence && e->Digest == Digest &&
        e->Outcome == JournalEntry::Outcomes::ANSWERED)
      found = e;
  }
  if (found == nullptr) return Verdict::SEND;
  ++(by_key ? replay_counts_.ByKey : replay_counts_.BySequence);
  JournalReplay r{now_(), Client != nullptr ? Client : "", found->Id};
  // A replay changes nothing a restart needs: kept without waiting for
  // the disk.
  Store({REPLAY, Number(r.Of), Number(static_cast<std::uint64_t>(r.Time)), r.Client}, false);
  Find(found->Id)->Replays++;
  replays_.push_back(r);
  if (replays_.size() > KEEP_COMMANDS) replays_.pop_front();
  Entry = *found;
  return Verdict::REPLAY;
}

void AnswerJournal::Index(const JournalEntry& E) {
  if (!E.Key.empty()) keys_[E.Key] = E.Id;
  if (E.SequenceGiven) last_sequenced_ = E.Id;
}

bool AnswerJournal::Begin(JournalEntry& Entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  Entry.Id = next_id_;
  Entry.Time = now_();
  Entry.Outcome = JournalEntry::Outcomes::RUNNING;
  Entry.Document.clear();
  if (!Store(IntentFields(Entry), true)) return false;
  ++next_id_;
  Entry.InFlight = true;
  entries_.push_back(Entry);
  Index(Entry);
  Prune();
  return true;
}

bool AnswerJournal::Finish(std::uint64_t Id, JournalEntry::Outcomes Outcome, unsigned Status,
                           unsigned AnswerType, unsigned AnswerCharset, std::string_view Document) {
  std::lock_guard<std::mutex> lock(mutex_);
  JournalEntry* e = Find(Id);
  if (e == nullptr) return true;
  e->InFlight = false;
  e->Outcome = Outcome;
  e->Status = Status;
  e->AnswerType = AnswerType;
  e->AnswerCharset = AnswerCharset;
  e->Document.assign(Document);
  // The controller's answer is not waited for on the disk: the next
  // intent's flush takes it there, before another packet goes out (or
  // Flush, when the bridge falls idle). A
  // process that dies keeps what it wrote; should a power cut lose the
  // record, the intent without answer is the last entry, its packet is the
  // last the controller took, and the restarted bridge sends it again
  // unchanged before anything else (RestoreDoubt): the controller answers
  // it from its memory without executing it, and that answer is recorded
  // for the client's resend. An error is flushed at once: lost, it would
  // put in doubt a packet the controller may never have taken, to be sent
  // after its client was told it failed.
  const bool durable = Outcome != JournalEntry::Outcomes::ANSWERED;
  return Store({ANSWER, Number(Id), Number(static_cast<unsigned>(Outcome)), Number(Status),
                Number(AnswerType), Number(AnswerCharset), e->Document},
               durable);
}

bool AnswerJournal::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (store_ == nullptr || store_->Flush()) return true;
  store_failed_ = true;
  return false;
}

bool AnswerJournal::FindUnanswered(unsigned PacketNumber, std::uint64_t Digest,
                                   JournalEntry& Entry) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->PacketNumber == PacketNumber && it->Digest == Digest) {
      if (it->Outcome == JournalEntry::Outcomes::ANSWERED) return false;
      Entry = *it;
      return true;
    }
  }
  return false;
}

bool AnswerJournal::LastUnanswered(JournalEntry& Entry) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (entries_.empty() || entries_.back().Outcome == JournalEntry::Outcomes::ANSWERED) return false;
  Entry = entries_.back();
  return true;
}

void AnswerJournal::Prune() {
  const std::int64_t oldest = now_() - KEEP_SECONDS;
  while (!entries_.empty() && (entries_.size() > MAX_ENTRIES || (entries_.size() > KEEP_COMMANDS &&
                                                                 entries_.front().Time < oldest))) {
    const JournalEntry& e = entries_.front();
    auto it = keys_.find(e.Key);
    if (it != keys_.end() && it->second == e.Id) keys_.erase(it);
    if (last_sequenced_ == e.Id) last_sequenced_ = 0;
    entries_.pop_front();
  }
}

void AnswerJournal::Apply(const std::vector<std::string>& f) {
  if (f[0] == INTENT && f.size() == INTENT_FIELDS) {
    JournalEntry e = EntryFromIntent(f);
    if (e.Id == 0 || (!entries_.empty() && e.Id <= entries_.back().Id)) return;
    entries_.push_back(e);
    Index(e);
    next_id_ = e.Id + 1;
  } else if (f[0] == ANSWER && f.size() == ANSWER_FIELDS) {
    JournalEntry* e = Find(ToNumber(f[1]));
    if (e == nullptr) return;
    e->Outcome = static_cast<JournalEntry::Outcomes>(std::min<std::uint64_t>(ToNumber(f[2]), 3));
    e->Status = static_cast<unsigned>(ToNumber(f[3]));
    e->AnswerType = static_cast<unsigned>(ToNumber(f[4]));
    e->AnswerCharset = static_cast<unsigned>(ToNumber(f[5]));
    e->Document = f[6];
  } else if (f[0] == REPLAY && f.size() == REPLAY_FIELDS) {
    JournalEntry* e = Find(ToNumber(f[1]));
    if (e != nullptr) ++e->Replays;
    replays_.push_back({static_cast<std::int64_t>(ToNumber(f[2])), f[3], ToNumber(f[1])});
    if (replays_.size() > KEEP_COMMANDS) replays_.pop_front();
  }
}

void AnswerJournal::Load(const std::vector<std::string>& Records, unsigned& Skipped) {
  std::lock_guard<std::mutex> lock(mutex_);
  Skipped = 0;
  std::vector<std::string> fields;
  for (const std::string& r : Records) {
    if (!DecodeRecord(r, fields) || fields.empty()) {
      ++Skipped;
      continue;
    }
    Apply(fields);
  }
  Prune();
}

std::vector<JournalEntry> AnswerJournal::Entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

std::vector<JournalReplay> AnswerJournal::Replays() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {replays_.begin(), replays_.end()};
}

std::vector<JournalEntry> AnswerJournal::Recent(std::size_t Count) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t n = std::min(Count, entries_.size());
  return {entries_.rbegin(), entries_.rbegin() + static_cast<std::ptrdiff_t>(n)};
}

ReplayCounts AnswerJournal::CountReplays() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return replay_counts_;
}

bool AnswerJournal::StoreFailed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return store_failed_;
}

}  // namespace VXP::Zorbel
