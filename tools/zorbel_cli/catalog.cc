#include "zorbel_cli/catalog.h"

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>

#include "vxb/common/text/charset.h"
#include "vxp/argentina/bits_comandos_fiscales_rg3561.h"
#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/argentina/code_table.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/vardex_data_container.h"

namespace ZorbelCli {

namespace RG3561 = VXP::Argentina::RG3561;

const char* const kCatalogHelp =
    "usage: zorbel-cli catalog\n"
    "\n"
    "Prints the RG3561 command catalogue as tab-separated UTF-8 lines:\n"
    "  command  Name  Code\n"
    "  request  Command  n  Field  TYPE  Table  DefaultPacket  DefaultSymbolic\n"
    "  answer   Command  Layout  n  Field  TYPE  Table\n"
    "  code     Table  PacketText  Name\n"
    "  bit      Word  BitNumber  Name\n"
    "A mandatory request field shows (none) as both defaults. Layout is * for\n"
    "a fixed answer, else the packet text of the code of field 0 that\n"
    "selects it.\n";

namespace {

constexpr const char* kMandatory = "(none)";

// Writes one record: its columns in the internal character set, converted to
// UTF-8 and joined by TAB.
class Record {
 public:
  explicit Record(std::ostream& out) : out_(out) {}

  Record& operator<<(const char* text) {
    if (!first_) line_ += '\t';
    first_ = false;
    ok_ = AppendUtf8(line_, text) && ok_;
    return *this;
  }
  Record& operator<<(unsigned number) { return *this << std::to_string(number).c_str(); }

  // Ends the line; false when a column could not be converted or the stream
  // failed.
  bool End() {
    line_ += '\n';
    out_ << line_;
    return ok_ && out_.good();
  }

 private:
  std::ostream& out_;
  std::string line_;
  bool first_ = true;
  bool ok_ = true;
};

// The table column of a field of type t: its name for coded types.
const char* TableColumn(VXP::Types t, const char* name) {
  return t == VXP::ENUM || t == VXP::BITFIELD ? name : "";
}

bool WriteCommands(std::ostream& out) {
  bool ok = true;
  for (const RG3561::CommandDescription& c : RG3561::AllCommands()) {
    ok = (Record(out) << "command" << RG3561::ToString(c.Command)
                      << static_cast<unsigned>(c.Command))
             .End() &&
         ok;
  }
  return ok;
}

bool WriteRequests(std::ostream& out) {
  bool ok = true;
  for (const RG3561::CommandDescription& c : RG3561::AllCommands()) {
    for (unsigned n = 0; RG3561::NombreCampoIn(c.Command, n) != nullptr; ++n) {
      char table[100] = "";
      const VXP::Types t = RG3561::TipoCampoIn(c.Command, n, table, sizeof table);
      // Both forms are copied at once: a bit word's text lives in a pool.
      const char* packet = RG3561::ValorPorDefectoCampoIn(c.Command, n, false);
      const std::string packet_text = packet != nullptr ? packet : kMandatory;
      const char* symbolic = RG3561::ValorPorDefectoCampoIn(c.Command, n, true);
      const std::string symbolic_text = symbolic != nullptr ? symbolic : kMandatory;
      ok = (Record(out) << "request" << c.Name << n << RG3561::NombreCampoIn(c.Command, n)
                        << VXP::ToString(t) << TableColumn(t, table) << packet_text.c_str()
                        << symbolic_text.c_str())
               .End() &&
           ok;
    }
  }
  return ok;
}

// Every field the answer a names, under the layout column key.
bool WriteAnswerLayout(std::ostream& out, const char* command, const char* key,
                       const VXP::VardexDataContainer& a) {
  bool ok = true;
  for (unsigned n = 0; RG3561::NombreCampoOut(a, n) != nullptr; ++n) {
    char table[100] = "";
    const VXP::Types t = RG3561::TipoCampoOut(a, n, table, sizeof table);
    ok = (Record(out) << "answer" << command << key << n << RG3561::NombreCampoOut(a, n)
                      << VXP::ToString(t) << TableColumn(t, table))
             .End() &&
         ok;
  }
  return ok;
}

bool WriteAnswers(std::ostream& out) {
  bool ok = true;
  for (const RG3561::CommandDescription& c : RG3561::AllCommands()) {
    if (!c.Answer.ByContent()) {
      ok = WriteAnswerLayout(out, c.Name, "*", VXP::VardexDataContainer(c.Command)) && ok;
      continue;
    }
    // One layout per deciding code, chosen the way an answer chooses it: by
    // the code's packet text in field 0.
    for (const RG3561::CodeEntry& code : c.Answer.Deciding->Codes) {
      VXP::VardexDataContainer a(c.Command);
      a.AddField("%s", code.Text);
      ok = WriteAnswerLayout(out, c.Name, code.Text, a) && ok;
    }
  }
  return ok;
}

bool WriteCodes(std::ostream& out) {
  bool ok = true;
  for (const RG3561::CodeTable* t : RG3561::AllCodeTables()) {
    for (const RG3561::CodeEntry& code : t->Codes) {
      ok = (Record(out) << "code" << t->Name << code.Text << code.Name).End() && ok;
    }
  }
  return ok;
}

bool WriteBits(std::ostream& out) {
  bool ok = true;
  for (const RG3561::BitWordTable* w : RG3561::AllBitWords()) {
    for (const RG3561::BitEntry& b : w->Names) {
      ok = (Record(out) << "bit" << w->ID << b.Bit << b.Name).End() && ok;
    }
  }
  return ok;
}

}  // namespace

bool AppendUtf8(std::string& out, const char* text) {
  // Catalogue texts are short names; a converted text takes at most two
  // bytes per character.
  char buf[1024];
  const unsigned n = VXB::ASCII::ToUTF8(text != nullptr ? text : "", buf, sizeof buf);
  if (n == VXB::ASCII::CONVERSION_FAILED) return false;
  out.append(buf, n);
  return true;
}

bool WriteCatalog(std::ostream& out) {
  bool ok = WriteCommands(out);
  ok = WriteRequests(out) && ok;
  ok = WriteAnswers(out) && ok;
  ok = WriteCodes(out) && ok;
  ok = WriteBits(out) && ok;
  out.flush();
  return ok && out.good();
}

int RunCatalog(int argc, const char* const* argv) {
  if (argc == 1 && (std::strcmp(argv[0], "--help") == 0 || std::strcmp(argv[0], "-h") == 0)) {
    std::cout << kCatalogHelp;
    return 0;
  }
  if (argc != 0) {
    std::cerr << "zorbel-cli catalog: unexpected argument '" << argv[0] << "'\n" << kCatalogHelp;
    return 2;
  }
  if (!WriteCatalog(std::cout)) {
    std::cerr << "zorbel-cli catalog: the catalogue could not be written\n";
    return 1;
  }
  return 0;
}

}  // namespace ZorbelCli
