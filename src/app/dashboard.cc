#include "app/dashboard.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "vxb/common/runtime/log.h"
#include "vxp/argentina/catalogo_rg3561.h"

namespace Zorbel {

namespace {

using VXB::HTML::CSS;
using VXB::HTML::Element;
using VXB::HTML::Writer;
using VXP::Zorbel::JournalEntry;

// Classes of the page, also read by the style sheet.
constexpr const char* GOOD = "bien";
constexpr const char* BAD = "mal";
constexpr const char* STATUS = "estado";
constexpr const char* COMMANDS = "comandos";

constexpr unsigned LOG_CHUNK = 256;

std::string BuildStyle() {
  CSS css;
  css.BeginText();
  using P = VXB::HTML::Property;
  const bool ok =
      css.ElementSelector(Element::BODY) && css.BeginDefinition() && css.FontFamily("sans-serif") &&
      css.AddProperty(P::MARGIN, "1em") && css.EndDefinition() &&
      css.ElementSelector(Element::TABLE) && css.BeginDefinition() &&
      css.AddProperty(P::BORDER_SPACING, "0") && css.AddProperty(P::MARGIN, "0.5em 0") &&
      css.EndDefinition() && css.ElementSelector(Element::TD) && css.BeginDefinition() &&
      css.AddProperty(P::PADDING, "0.2em 0.8em") && css.AddProperty(P::VERTICAL_ALIGN, "top") &&
      css.EndDefinition() &&
      css.TableWithAlternateColors(COMMANDS, CSS::Color(0xee, 0xee, 0xee), CSS::Color::WHITE) &&
      css.ClassSelector(GOOD) && css.BeginDefinition() &&
      css.ForegroundColor(CSS::Color(0x1a, 0x7f, 0x37)) && css.Bold() && css.EndDefinition() &&
      css.ClassSelector(BAD) && css.BeginDefinition() &&
      css.ForegroundColor(CSS::Color(0xb0, 0x1c, 0x1c)) && css.Bold() && css.EndDefinition() &&
      css.ElementSelector(Element::PRE) && css.BeginDefinition() &&
      css.BackgroundColor(CSS::Color(0xf6, 0xf6, 0xf6)) && css.AddProperty(P::PADDING, "0.5em") &&
      css.AddProperty(P::OVERFLOW, "auto") && css.EndDefinition() && css.End();
  return ok ? css.Text() : std::string();
}

std::string Joined(const std::vector<std::string>& Names) {
  std::string out;
  for (const std::string& n : Names) out += (out.empty() ? "" : ", ") + n;
  return out.empty() ? "ninguno" : out;
}

// One row of the status table: its label and a text in Class (may be null).
bool Row(Writer& Html, const char* Label, const char* Class, const std::string& Text) {
  return Html.BeginTableRow() && Html.BeginTableCol() && Html.BeginStrong() &&
         Html.Text("%s", Label) && Html.EndStrong() && Html.EndTableCol() && Html.BeginTableCol() &&
         Html.Span(Class, "%s", Text.c_str()) && Html.EndTableCol() && Html.EndTableRow();
}

// Whether the controller answers: its port open and the last command's
// outcome.
bool ControllerRows(Writer& Html, const DashboardData& D) {
  const CommandOutcome& last = D.Seen.Last;
  const char* cls = nullptr;
  std::string state;
  if (!D.Live.SerialOpen) {
    cls = BAD;
    state = "no alcanzable: puerto serie cerrado";
  } else if (!D.Seen.HasLast || !last.Reached) {
    state =
        "puerto serie abierto; sin comandos enviados todav\xA1"
        "a";
  } else if (last.HasStatus) {
    cls = GOOD;
    state = "alcanzable: respondi\xA2 el \xA3ltimo comando";
  } else {
    cls = BAD;
    state = "sin respuesta al \xA3ltimo comando";
  }
  if (!Row(Html, "Controlador", cls, state)) return false;
  if (!D.Seen.HasLast) return true;
  const std::string outcome = (last.Command.empty() ? std::string("(sin comando)") : last.Command) +
                              ": " + (last.Error.empty() ? "OK" : last.Error) + " (" +
                              IsoTime(D.Seen.LastTime) + ")";
  return Row(Html, "\xE9ltimo comando", last.Error.empty() ? GOOD : BAD, outcome);
}

std::string Word(std::uint16_t Word, const std::vector<std::string>& Bits) {
  char hex[8];
  std::snprintf(hex, sizeof(hex), "%04X", static_cast<unsigned>(Word));
  return std::string(hex) + ": " + Joined(Bits);
}

bool WordRows(Writer& Html, const LastSeen& S) {
  if (!S.HasStatus)
    return Row(Html, "Estado del controlador", nullptr,
               "sin datos todav\xA1"
               "a");
  return Row(Html, "Estado de la impresora", nullptr, Word(S.Printer, PrinterBits(S.Printer))) &&
         Row(Html, "Estado fiscal", nullptr, Word(S.Fiscal, FiscalBits(S.Fiscal))) &&
         Row(Html, "Documento fiscal", nullptr,
             FiscalDocumentOpen(S.Fiscal) ? "abierto" : "cerrado");
}

// The journal's line as the index page has always shown it.
bool JournalRow(Writer& Html, const LiveState& L) {
  char line[160];
  std::snprintf(line, sizeof(line), "Diario: %s; paquetes en duda resueltos %u, abandonados %u%s",
                L.JournalWriteFailed ? "FALLA DE ESCRITURA" : "en orden", L.Doubt.Resolved,
                L.Doubt.Abandoned, L.Doubt.InDoubt ? "; hay un paquete en duda" : "");
  return Row(Html, "Diario", L.JournalWriteFailed || L.Doubt.InDoubt ? BAD : GOOD, line);
}

bool StatusSection(Writer& Html, const DashboardData& D) {
  return Html.BeginDiv(STATUS, STATUS) && Html.Header(2, "Estado") && Html.BeginTable(STATUS) &&
         ControllerRows(Html, D) && WordRows(Html, D.Seen) && JournalRow(Html, D.Live) &&
         Html.EndTable() && Html.EndDiv();
}

std::string CommandName(VXB::Byte Command) {
  const auto* c =
      VXP::Argentina::RG3561::FindCommand(static_cast<VXP::Argentina::RG3561::Comandos>(Command));
  if (c != nullptr) return c->Name;
  char hex[8];
  std::snprintf(hex, sizeof(hex), "%02Xh", static_cast<unsigned>(Command));
  return hex;
}

struct OutcomeText {
  const char* Text;
  const char* Class;
};

OutcomeText Outcome(JournalEntry::Outcomes O) {
  switch (O) {
    case JournalEntry::Outcomes::ANSWERED:
      return {"respondido", GOOD};
    case JournalEntry::Outcomes::FAILED:
      return {"sin respuesta", BAD};
    case JournalEntry::Outcomes::IN_DOUBT:
      return {"en duda", BAD};
    case JournalEntry::Outcomes::RUNNING:
      break;
  }
  return {"en curso", nullptr};
}

bool Cell(Writer& Html, const char* Class, const std::string& Text) {
  return Html.BeginTableCol() && Html.Span(Class, "%s", Text.c_str()) && Html.EndTableCol();
}

bool CommandRow(Writer& Html, const JournalEntry& E) {
  const OutcomeText o = Outcome(E.Outcome);
  const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(E.Time));
  return Html.BeginTableRow() && Cell(Html, nullptr, IsoTime(when)) &&
         Cell(Html, nullptr, E.Client) && Cell(Html, nullptr, E.Key) &&
         Cell(Html, nullptr, E.SequenceGiven ? std::to_string(E.Sequence) : "") &&
         Cell(Html, nullptr, CommandName(E.Command)) && Cell(Html, o.Class, o.Text) &&
         Cell(Html, nullptr, E.Replays > 0 ? std::to_string(E.Replays) : "") && Html.EndTableRow();
}

bool CommandsSection(Writer& Html, const DashboardData& D) {
  if (!Html.BeginDiv(COMMANDS, "recientes") || !Html.Header(2, "Comandos recientes")) return false;
  if (D.Recent.empty()) return Html.Paragraph("No hay comandos en el diario") && Html.EndDiv();
  if (!Html.BeginTable(COMMANDS) || !Html.BeginTableRow()) return false;
  for (const char* head :
       {"Hora (UTC)", "Cliente", "Clave", "Secuencia", "Comando", "Resultado", "Repeticiones"}) {
    if (!Html.BeginTableCol() || !Html.BeginStrong() || !Html.Text("%s", head) ||
        !Html.EndStrong() || !Html.EndTableCol())
      return false;
  }
  if (!Html.EndTableRow()) return false;
  for (const JournalEntry& e : D.Recent) {
    if (!CommandRow(Html, e)) return false;
  }
  return Html.EndTable() && Html.EndDiv();
}

bool LinksSection(Writer& Html) {
  static constexpr struct {
    const char* Href;
    const char* Text;
  } LINKS[] = {
      {"/commands", "Referencia de comandos"},
      {"/schema.json", "Esquema JSON de los comandos"},
      {"/status.json", "Estado (JSON)"},
      {"/metrics", "M\x82tricas (Prometheus)"},
  };
  if (!Html.BeginDiv("enlaces", "enlaces") || !Html.Header(2, "P\xA0ginas") ||
      !Html.BeginUnorderedList())
    return false;
  for (const auto& l : LINKS) {
    if (!Html.BeginListItem() || !Html.BeginLink(l.Href) || !Html.Text("%s", l.Text) ||
        !Html.EndLink() || !Html.EndListItem())
      return false;
  }
  return Html.EndUnorderedList() && Html.EndDiv();
}

// The log, escaped by the writer so that it cannot inject markup.
bool LogSection(Writer& Html) {
  if (!Html.Header(2, "Registro") || !Html.BeginPreformattedText()) return false;
  VXB::Byte buffer[LOG_CHUNK + 1] = {};
  unsigned size = LOG_CHUNK;
  bool any = false;
  bool more = VXB::Log::ReadFirst(buffer, size);
  while (more && size > 0) {
    any = true;
    if (!Html.Text("%.*s", static_cast<int>(size), reinterpret_cast<const char*>(buffer)))
      return false;
    size = LOG_CHUNK;
    more = VXB::Log::ReadNext(buffer, size);
  }
  if (!any && !Html.Text("No hay informaci\xA2n para mostrar")) return false;
  return Html.EndPreformattedText();
}

}  // namespace

const std::string& DashboardStyle() {
  static const std::string style = BuildStyle();
  return style;
}

bool WriteDashboard(Writer& Html, const DashboardData& Data) {
  Html.SetStyleText(DashboardStyle());
  const bool begun = Html.Begin("Registro");
  Html.SetStyleText("");
  return begun && Html.Header(1, "Zorbel") && StatusSection(Html, Data) &&
         CommandsSection(Html, Data) && LinksSection(Html) && LogSection(Html) && Html.End();
}

}  // namespace Zorbel
