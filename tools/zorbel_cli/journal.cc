#include "zorbel_cli/journal.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "common/tool_support.h"
#include "vxp/answer_journal.h"
#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/journal_file.h"

namespace ZorbelCli {

const char* const kJournalHelp =
    "usage: zorbel-cli journal [--dir D] [--since T] [--json]\n"
    "\n"
    "Lists the commands in the bridge's answer journal (the files\n"
    "journal1.dat and journal2.dat beside its log, in D; default the current\n"
    "directory), oldest first, one per line, tab-separated:\n"
    "  time (UTC)  client  key=K or seq=N or -  command  outcome  replays\n"
    "outcome is answered, failed, in-doubt or running (no answer recorded:\n"
    "the bridge stopped meanwhile). Each answer sent again from the journal\n"
    "follows as a line: replay  time  client  id-of-the-command.\n"
    "  --since T   only from T on: seconds since 1970 or YYYY-MM-DD[THH:MM[:SS]]\n"
    "              (UTC)\n"
    "  --json      one JSON object {\"commands\": [...], \"replays\": [...]}\n";

namespace {

using VXP::Zorbel::JournalEntry;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  const std::chrono::sys_days days{std::chrono::year{static_cast<int>(y)} / std::chrono::month{m} /
                                   std::chrono::day{d}};
  return days.time_since_epoch().count();
}

// "2026-12-10T18:20:05Z" for seconds since 1970 (UTC).
std::string TimeText(std::int64_t t) {
  const std::chrono::sys_seconds time{std::chrono::seconds{t}};
  const auto days = std::chrono::floor<std::chrono::days>(time);
  const std::chrono::year_month_day date{days};
  const std::chrono::hh_mm_ss<std::chrono::seconds> clock{time - days};
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

const char* OutcomeText(JournalEntry::Outcomes o) {
  switch (o) {
    case JournalEntry::Outcomes::ANSWERED:
      return "answered";
    case JournalEntry::Outcomes::FAILED:
      return "failed";
    case JournalEntry::Outcomes::IN_DOUBT:
      return "in-doubt";
    case JournalEntry::Outcomes::RUNNING:
      break;
  }
  return "running";
}

std::string CommandName(unsigned char Command) {
  const auto* c =
      VXP::Argentina::RG3561::FindCommand(static_cast<VXP::Argentina::RG3561::Comandos>(Command));
  if (c != nullptr) return c->Name;
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", Command);
  return text;
}

std::string Json(std::string_view s) {
  std::string out = "\"";
  for (char ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (b < 0x20 || b >= 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", b);
      out += esc;
    } else {
      out.push_back(ch);
    }
  }
  return out + "\"";
}

std::string Who(const JournalEntry& e) {
  if (!e.Key.empty()) return "key=" + e.Key;
  if (e.SequenceGiven) return "seq=" + std::to_string(e.Sequence);
  return "-";
}

void WriteJson(const std::vector<JournalEntry>& Entries,
               const std::vector<VXP::Zorbel::JournalReplay>& Replays, std::int64_t Since,
               std::ostream& out) {
  out << "{\"commands\": [";
  const char* sep = "\n";
  for (const JournalEntry& e : Entries) {
    if (e.Time < Since) continue;
    out << sep << "  {\"id\": " << e.Id << ", \"time\": " << Json(TimeText(e.Time))
        << ", \"client\": " << Json(e.Client) << ", \"key\": " << Json(e.Key)
        << ", \"secuencia\": " << (e.SequenceGiven ? std::to_string(e.Sequence) : "null")
        << ", \"command\": " << Json(CommandName(e.Command)) << ", \"packet\": " << e.PacketNumber
        << ", \"outcome\": " << Json(OutcomeText(e.Outcome)) << ", \"replays\": " << e.Replays
        << ", \"answer\": " << Json(e.Document) << "}";
    sep = ",\n";
  }
  out << "],\n\"replays\": [";
  sep = "\n";
  for (const auto& r : Replays) {
    if (r.Time < Since) continue;
    out << sep << "  {\"time\": " << Json(TimeText(r.Time)) << ", \"client\": " << Json(r.Client)
        << ", \"of\": " << r.Of << "}";
    sep = ",\n";
  }
  out << "]}\n";
}

}  // namespace

bool ParseSince(std::string_view Text, std::int64_t& Seconds) {
  unsigned whole = 0;
  if (Text.find('-') == std::string_view::npos) {
    if (!ZorbelTools::ParseUnsigned(Text, whole)) return false;
    Seconds = whole;
    return true;
  }
  int y = 0;
  unsigned mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  const std::string text(Text);
  const int n =
      std::sscanf(text.c_str(), "%4d-%2u-%2uT%2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &s, &tail);
  if (!(n == 3 || n == 5 || n == 6) || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 ||
      s > 59)
    return false;
  Seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  return true;
}

bool ListJournal(const std::string& Directory, std::int64_t Since, bool AsJson, std::ostream& out) {
  std::vector<std::string> records;
  if (!VXP::Zorbel::JournalFile::Read(Directory, records)) return false;
  VXP::Zorbel::AnswerJournal journal;
  unsigned skipped = 0;
  journal.Load(records, skipped);
  const std::vector<JournalEntry> entries = journal.Entries();
  const std::vector<VXP::Zorbel::JournalReplay> replays = journal.Replays();
  if (AsJson) {
    WriteJson(entries, replays, Since, out);
    return static_cast<bool>(out);
  }
  for (const JournalEntry& e : entries) {
    if (e.Time < Since) continue;
    out << TimeText(e.Time) << "\t" << e.Client << "\t" << Who(e) << "\t" << CommandName(e.Command)
        << "\t" << OutcomeText(e.Outcome) << "\t" << e.Replays << "\n";
  }
  for (const auto& r : replays) {
    if (r.Time < Since) continue;
    out << "replay\t" << TimeText(r.Time) << "\t" << r.Client << "\t" << r.Of << "\n";
  }
  return static_cast<bool>(out);
}

int RunJournal(int argc, const char* const* argv) {
  std::string dir;
  std::int64_t since = 0;
  bool json = false;
  for (int i = 0; i < argc; ++i) {
    const char* w = argv[i];
    if (std::strcmp(w, "--help") == 0 || std::strcmp(w, "-h") == 0) {
      std::cout << kJournalHelp;
      return 0;
    }
    if (std::strcmp(w, "--json") == 0) {
      json = true;
    } else if (std::strcmp(w, "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else if (std::strcmp(w, "--since") == 0 && i + 1 < argc && ParseSince(argv[i + 1], since)) {
      ++i;
    } else {
      std::cerr << "zorbel-cli journal: bad argument '" << w << "'\n" << kJournalHelp;
      return 2;
    }
  }
  if (!ListJournal(dir, since, json, std::cout)) {
    std::cerr << "zorbel-cli journal: no journal in '" << (dir.empty() ? "." : dir) << "'\n";
    return 1;
  }
  return 0;
}

}  // namespace ZorbelCli
