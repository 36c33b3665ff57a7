// The bridge's index page, for the technician at the till: whether the
// controller answers, its last status words in words, whether a fiscal
// document is open and how the answer journal stands; then the latest
// commands from the journal, the links to the other pages, and the log.
//
// The page is written with the HTML writer, so every text taken from a
// client (an Idempotency-Key, the log's lines) is entity-encoded. Nothing
// here talks to the controller.
//
// Thread safety: runs on the HTTP server's thread, like every page.
#ifndef APP_DASHBOARD_H_
#define APP_DASHBOARD_H_

#include <cstddef>
#include <string>
#include <vector>

#include "app/bridge_status.h"
#include "vxb/common/format/html.h"
#include "vxp/answer_journal.h"

namespace Zorbel {

// Commands listed at most.
inline constexpr std::size_t DASHBOARD_COMMANDS = 20;

struct DashboardData {
  LiveState Live;
  LastSeen Seen;
  std::vector<VXP::Zorbel::JournalEntry> Recent;  // newest first
};

// The style sheet of the page (made once with the CSS builder).
const std::string& DashboardStyle();

// Writes the whole page into Html; false at the first write refused.
bool WriteDashboard(VXB::HTML::Writer& Html, const DashboardData& Data);

}  // namespace Zorbel

#endif  // APP_DASHBOARD_H_
