#include "app/bridge_status.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"

namespace Zorbel {

namespace {

namespace Estado = VXP::Argentina::RG3561::Estado;

using Clock = std::chrono::system_clock;

// Names and symbols are ASCII without quotes or backslashes, but a
// document's command name is the client's text: escaped all the same.
void AppendJsonString(std::string& Out, std::string_view Text) {
  Out += '"';
  for (const char c : Text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      Out += '\\';
      Out += c;
    } else if (u < 0x20 || u > 0x7E) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04x", u);
      Out += escape;
    } else {
      Out += c;
    }
  }
  Out += '"';
}

std::vector<std::string> Bits(const VXP::Argentina::RG3561::BitWordTable& Table,
                              std::uint16_t Word) {
  std::vector<std::string> names;
  for (const auto& bit : Table.Names) {
    if ((Word >> (bit.Bit - 1) & 1u) != 0) names.emplace_back(bit.Name);
  }
  return names;
}

// {"word":"3000","bits":["DocumentoFiscalAbierto",...]}
void AppendWord(std::string& Out, const VXP::Argentina::RG3561::BitWordTable& Table,
                std::uint16_t Word) {
  char hex[8];
  std::snprintf(hex, sizeof(hex), "%04X", static_cast<unsigned>(Word));
  Out += "{\"word\":\"";
  Out += hex;
  Out += "\",\"bits\":[";
  bool first = true;
  for (const std::string& name : Bits(Table, Word)) {
    if (!first) Out += ',';
    first = false;
    AppendJsonString(Out, name);
  }
  Out += "]}";
}

bool FiscalBit(std::uint16_t Word, Estado::FiscalBit Bit) {
  return (Word >> (static_cast<unsigned>(Bit) - 1) & 1u) != 0;
}

// One metric family's head.
void Family(std::string& Out, const char* Name, const char* Type, const char* Help) {
  Out += "# HELP ";
  Out += Name;
  Out += ' ';
  Out += Help;
  Out += "\n# TYPE ";
  Out += Name;
  Out += ' ';
  Out += Type;
  Out += '\n';
}

void Sample(std::string& Out, const char* Name, double Value, const std::string& Labels = "") {
  char number[40];
  std::snprintf(number, sizeof(number), "%.17g", Value);
  Out += Name;
  if (!Labels.empty()) Out += "{" + Labels + "}";
  Out += ' ';
  Out += number;
  Out += '\n';
}

// A label value: backslash, quote and line feed escaped.
std::string LabelValue(std::string_view Text) {
  std::string out;
  for (const char c : Text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '"')
      out += "\\\"";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

// One labelled value of a family that the running parts count.
struct Labelled {
  const char* Label;
  std::uint64_t Value;
};
using Values = std::initializer_list<Labelled>;

// The running parts' counts, each with its metric name, label and help,
// and its key in /status.json's "counts".
struct LiveFamily {
  const char* Metric;
  const char* Label;
  const char* Help;
  const char* Key;
};

constexpr LiveFamily RETRIES = {"zorbel_packet_retries_total", "cause",
                                "Failed packet attempts that cost a retry, by cause.", "retries"};
constexpr LiveFamily REPLAYS = {"zorbel_journal_replays_total", "match",
                                "Requests answered from the answer journal, by what matched.",
                                "journal_replays"};
constexpr LiveFamily DOUBTS = {"zorbel_packets_in_doubt_total", "outcome",
                               "Packets in doubt settled, by how.", "packets_in_doubt"};
constexpr LiveFamily REFUSALS = {"zorbel_http_refusals_total", "reason",
                                 "Connections and requests refused by the access rules, by rule.",
                                 "refused"};

void LiveCounter(std::string& Out, const LiveFamily& F, Values List) {
  Family(Out, F.Metric, "counter", F.Help);
  for (const Labelled& l : List)
    Sample(Out, F.Metric, static_cast<double>(l.Value),
           std::string(F.Label) + "=\"" + l.Label + "\"");
}

void LiveJson(std::string& Out, const LiveFamily& F, Values List) {
  Out += ",\"";
  Out += F.Key;
  Out += "\":{";
  bool first = true;
  for (const Labelled& l : List) {
    if (!first) Out += ',';
    first = false;
    Out += '"';
    Out += l.Label;
    Out += "\":" + std::to_string(l.Value);
  }
  Out += '}';
}

// Every live family with its values, to either page.
template <typename Write>
void EachLive(const LiveState& L, Write W) {
  const VXP::RetryCounts& r = L.Retries;
  W(RETRIES, Values{{"timeout", r.Timeouts},
                    {"nak", r.Naks},
                    {"checksum", r.BadChecksums},
                    {"mismatch", r.Mismatches},
                    {"overflow", r.Overflows}});
  W(REPLAYS, Values{{"key", L.Replays.ByKey}, {"sequence", L.Replays.BySequence}});
  W(DOUBTS, Values{{"resolved", L.Doubt.Resolved}, {"abandoned", L.Doubt.Abandoned}});
  const VXB::HTTP::RefusalCounts& f = L.Refused;
  W(REFUSALS, Values{{"host", f.ForeignHost},
                     {"origin", f.ForeignOrigin},
                     {"client", f.DeniedClient},
                     {"capacity", f.OverCapacity}});
}

}  // namespace

std::string IsoTime(Clock::time_point Time) {
  const auto seconds = std::chrono::floor<std::chrono::seconds>(Time);
  const auto days = std::chrono::floor<std::chrono::days>(seconds);
  const std::chrono::year_month_day date{days};
  const std::chrono::hh_mm_ss<std::chrono::seconds> time{seconds - days};
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::vector<std::string> PrinterBits(std::uint16_t Word) {
  return Bits(Estado::ImpresoraTable, Word);
}
std::vector<std::string> FiscalBits(std::uint16_t Word) { return Bits(Estado::FiscalTable, Word); }
bool FiscalDocumentOpen(std::uint16_t Fiscal) {
  return FiscalBit(Fiscal, Estado::FiscalBit::BIT_DOCUMENTO_FISCAL_ABIERTO);
}

BridgeStatus::BridgeStatus(BridgeSettings Settings)
    : settings_(std::move(Settings)),
      started_(std::chrono::steady_clock::now()),
      started_wall_(Clock::now()) {}

void BridgeStatus::Record(const CommandOutcome& Outcome) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++commands_;
  if (Outcome.Reached) ++reached_;
  if (Outcome.Busy) ++busy_;
  if (!Outcome.Error.empty()) ++errors_[Outcome.Error];
  const double seconds = std::chrono::duration<double>(Outcome.Duration).count();
  duration_sum_ += seconds;
  for (std::size_t i = 0; i < kDurationBuckets.size(); ++i) {
    if (seconds <= kDurationBuckets[i]) {
      ++buckets_[i];
      break;
    }
  }
  seen_.HasLast = true;
  seen_.Last = Outcome;
  seen_.LastTime = Clock::now();
  if (Outcome.HasStatus) {
    seen_.HasStatus = true;
    seen_.Printer = Outcome.Printer;
    seen_.Fiscal = Outcome.Fiscal;
  }
}

LastSeen BridgeStatus::Last() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

std::string BridgeStatus::StatusJson(const LiveState& Live) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto uptime =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_);
  std::string out = "{\"version\":";
  AppendJsonString(out, settings_.Version);
  out += ",\"started\":\"" + IsoTime(started_wall_) +
         "\",\"uptime_seconds\":" + std::to_string(uptime.count()) +
         ",\"http_port\":" + std::to_string(settings_.HttpPort) + ",\"serial\":{\"port\":";
  AppendJsonString(out, settings_.SerialPort);
  out += ",\"baud_rate\":" + std::to_string(settings_.BaudRate) +
         ",\"open\":" + (Live.SerialOpen ? "true" : "false") +
         "},\"packet_in_doubt\":" + (Live.Doubt.InDoubt ? "true" : "false") +
         ",\"journal\":{\"write_failed\":" + (Live.JournalWriteFailed ? "true" : "false") +
         "},\"last_command\":";
  if (seen_.HasLast) {
    out += "{\"time\":\"" + IsoTime(seen_.LastTime) + "\",\"command\":";
    AppendJsonString(out, seen_.Last.Command);
    out += ",\"outcome\":";
    AppendJsonString(out, seen_.Last.Error.empty() ? "OK" : seen_.Last.Error);
    out += ",\"duration_ms\":" +
           std::to_string(std::chrono::duration<double, std::milli>(seen_.Last.Duration).count()) +
           "}";
  } else {
    out += "null";
  }
  out += ",\"controller\":";
  if (seen_.HasStatus) {
    out += "{\"printer\":";
    AppendWord(out, Estado::ImpresoraTable, seen_.Printer);
    out += ",\"fiscal\":";
    AppendWord(out, Estado::FiscalTable, seen_.Fiscal);
    out += std::string(",\"fiscal_document_open\":") +
           (FiscalBit(seen_.Fiscal, Estado::FiscalBit::BIT_DOCUMENTO_FISCAL_ABIERTO) ? "true"
                                                                                     : "false") +
           ",\"document_open\":" +
           (FiscalBit(seen_.Fiscal, Estado::FiscalBit::BIT_DOCUMENTO_ABIERTO) ? "true" : "false") +
           "}";
  } else {
    out += "null";
  }
  out += ",\"counts\":{\"commands\":" + std::to_string(commands_) +
         ",\"reached_controller\":" + std::to_string(reached_) +
         ",\"busy\":" + std::to_string(busy_) + ",\"errors\":{";
  bool first = true;
  for (const auto& [symbol, count] : errors_) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, symbol);
    out += ':' + std::to_string(count);
  }
  out += '}';
  EachLive(Live, [&out](const LiveFamily& F, Values List) { LiveJson(out, F, List); });
  return out + "}}";
}

std::string BridgeStatus::Metrics(const LiveState& Live) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string out;
  Family(out, "zorbel_build_info", "gauge", "The running bridge's version.");
  Sample(out, "zorbel_build_info", 1, "version=\"" + LabelValue(settings_.Version) + "\"");
  Family(out, "zorbel_start_time_seconds", "gauge", "When the bridge started, in Unix time.");
  Sample(out, "zorbel_start_time_seconds",
         std::chrono::duration<double>(started_wall_.time_since_epoch()).count());
  Family(out, "zorbel_serial_port_open", "gauge", "1 when the controller's serial port is open.");
  Sample(out, "zorbel_serial_port_open", Live.SerialOpen ? 1 : 0);
  Family(out, "zorbel_packet_in_doubt", "gauge",
         "1 while a packet the controller acknowledged awaits its answer.");
  Sample(out, "zorbel_packet_in_doubt", Live.Doubt.InDoubt ? 1 : 0);
  Family(out, "zorbel_journal_write_failed", "gauge",
         "1 once a write to the answer journal's files has failed.");
  Sample(out, "zorbel_journal_write_failed", Live.JournalWriteFailed ? 1 : 0);
  EachLive(Live, [&out](const LiveFamily& F, Values List) { LiveCounter(out, F, List); });
  Family(out, "zorbel_commands_total", "counter", "Command requests the bridge processed.");
  Sample(out, "zorbel_commands_total", static_cast<double>(commands_));
  Family(out, "zorbel_commands_reached_controller_total", "counter",
         "Commands handed to the serial exchange.");
  Sample(out, "zorbel_commands_reached_controller_total", static_cast<double>(reached_));
  Family(out, "zorbel_controller_busy_total", "counter", "Commands the controller answered busy.");
  Sample(out, "zorbel_controller_busy_total", static_cast<double>(busy_));
  Family(out, "zorbel_command_errors_total", "counter",
         "Commands answered with an error, by error.");
  for (const auto& [symbol, count] : errors_)
    Sample(out, "zorbel_command_errors_total", static_cast<double>(count),
           "error=\"" + LabelValue(symbol) + "\"");
  Family(out, "zorbel_controller_status_word", "gauge",
         "The controller's last status words (printer, fiscal) as numbers.");
  Sample(out, "zorbel_controller_status_word", seen_.Printer, "word=\"printer\"");
  Sample(out, "zorbel_controller_status_word", seen_.Fiscal, "word=\"fiscal\"");
  Family(out, "zorbel_command_duration_seconds", "histogram",
         "Time from a command's request to its answer.");
  std::uint64_t cumulative = 0;
  for (std::size_t i = 0; i < kDurationBuckets.size(); ++i) {
    cumulative += buckets_[i];
    char bound[32];
    std::snprintf(bound, sizeof(bound), "%g", kDurationBuckets[i]);
    Sample(out, "zorbel_command_duration_seconds_bucket", static_cast<double>(cumulative),
           std::string("le=\"") + bound + "\"");
  }
  Sample(out, "zorbel_command_duration_seconds_bucket", static_cast<double>(commands_),
         "le=\"+Inf\"");
  Sample(out, "zorbel_command_duration_seconds_sum", duration_sum_);
  Sample(out, "zorbel_command_duration_seconds_count", static_cast<double>(commands_));
  return out;
}

}  // namespace Zorbel
