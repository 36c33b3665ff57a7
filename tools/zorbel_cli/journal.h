// `zorbel-cli journal`: what the bridge's answer journal holds, so that a
// shop's support can tell whether a command reached the controller and what
// it answered.
//
//   zorbel-cli journal [--dir D] [--since T] [--json]
//
// Reads the journal files in D (default: the current directory) without
// changing them. One line per command, tab-separated: the time (UTC,
// YYYY-MM-DDTHH:MM:SSZ), the client, the key ("key=..."), the Secuencia
// ("seq=N") or "-", the command's name, the outcome (answered, failed,
// in-doubt, running) and the number of times its answer was replayed; then
// one line per replay ("replay", time, client, the command's id). --json
// writes one JSON object with "commands" and "replays" instead. --since T
// (seconds since 1970, or YYYY-MM-DD[THH:MM[:SS]] in UTC) leaves out what
// is older.
//
// Thread safety: uses the calling thread's pools only.
#ifndef TOOLS_ZORBEL_CLI_JOURNAL_H_
#define TOOLS_ZORBEL_CLI_JOURNAL_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace ZorbelCli {

// T as seconds since 1970 UTC; false when it is neither form.
bool ParseSince(std::string_view Text, std::int64_t& Seconds);

// Lists the journal of Directory into out (JSON when Json). False when no
// journal file can be read there.
bool ListJournal(const std::string& Directory, std::int64_t Since, bool Json, std::ostream& out);

int RunJournal(int argc, const char* const* argv);
extern const char* const kJournalHelp;

}  // namespace ZorbelCli

#endif  // TOOLS_ZORBEL_CLI_JOURNAL_H_
