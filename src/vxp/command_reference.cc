#include "vxp/command_reference.h"

#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "vxb/common/text/fields.h"

namespace VXP::Reference {

namespace {

namespace RG3561 = Argentina::RG3561;
using RG3561::CodeTable;
using RG3561::CommandDescription;
using RG3561::FieldDescription;
using RG3561::Layout;

// The member that carries the till's sequence number in every request.
constexpr const char* kSequence = "Secuencia";

// The bytes that frame packets, refused inside any value (as \u escapes
// of a regular expression, written inside a JSON string).
constexpr const char* kNoControlBytes =
    "^[^\\\\u0002\\\\u0003\\\\u0006\\\\u0012\\\\u0014\\\\u0015\\\\u001b\\\\u001c]*$";

void AppendQuoted(std::string& Out, std::string_view Text) {
  Out += '"';
  for (const char c : Text) {
    if (c == '"' || c == '\\') Out += '\\';
    Out += c;
  }
  Out += '"';
}

// A regular expression (inside a JSON string) matching Text with ASCII
// case ignored; any character other than a letter or digit is escaped.
void AppendAnyCase(std::string& Out, std::string_view Text) {
  for (const char c : Text) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (lower != upper) {
      Out += '[';
      Out += upper;
      Out += lower;
      Out += ']';
    } else if (c >= '0' && c <= '9') {
      Out += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\\\x%02x", static_cast<unsigned char>(c));
      Out += escape;
    }
  }
}

// "^(?:a|b|c)$" over names matched with case ignored.
template <typename Names>
void AppendAlternatives(std::string& Out, const Names& List, bool Optional) {
  Out += "\"^(?:";
  bool first = true;
  for (std::string_view name : List) {
    if (!first) Out += '|';
    first = false;
    AppendAnyCase(Out, name);
  }
  Out += Optional ? ")?$\"" : ")$\"";
}

std::string TableDefinition(const CodeTable& Table) {
  std::vector<std::string_view> names;
  for (const RG3561::CodeEntry& e : Table.Codes) names.push_back(e.Name);
  for (const RG3561::CodeEntry& e : Table.Codes) names.push_back(e.Text);
  std::string out = "{\"description\":";
  AppendQuoted(out, std::string(Table.Namespace) + "::" + Table.Name);
  out += ",\"anyOf\":[{\"type\":\"string\",\"pattern\":";
  AppendAlternatives(out, names, true);
  out += '}';
  if (Table.Family == RG3561::CodeFamily::DECIMAL) {
    out += ",{\"type\":\"integer\",\"enum\":[";
    for (std::size_t i = 0; i < Table.Codes.size(); ++i) {
      if (i > 0) out += ',';
      out += std::to_string(Table.Codes[i].Value);
    }
    out += "]}";
  }
  return out + "]}";
}

std::string BitWordDefinition(const RG3561::BitWordTable& Word) {
  std::vector<std::string_view> names;
  for (const RG3561::BitEntry& b : Word.Names) names.push_back(b.Name);
  std::string any_name;
  AppendAlternatives(any_name, names, false);
  // The same alternatives without their anchors, to repeat them.
  const std::string group = any_name.substr(2, any_name.size() - 4);
  std::string out = "{\"description\":";
  AppendQuoted(out, std::string("Palabra de bits ") + Word.ID);
  out += ",\"anyOf\":[{\"type\":\"array\",\"items\":{\"type\":\"string\",\"pattern\":" + any_name +
         "}},{\"type\":\"string\",\"pattern\":\"^(?:[0-9A-Fa-f]{0," +
         std::to_string(Word.NumberOfBits / 4) + "}|" + group + "(?: " + group + ")*)$\"}]}";
  return out;
}

std::string FieldDefinition(const FieldDescription& Field) {
  std::string description = VXP::ToString(Field.Type);
  if (Field.Table.Name() != nullptr) description += std::string(" ") + Field.Table.Name();
  if (Field.Default != RG3561::MANDATORY)
    description += std::string("; por defecto \"") + Field.Default + "\"";
  std::string out = "{\"description\":";
  AppendQuoted(out, description);
  if (Field.Type == VXP::ENUM && Field.Table.Codes != nullptr) {
    out += ",\"$ref\":\"#/$defs/tabla." + std::string(Field.Table.Codes->Name) + "\"}";
  } else if (Field.Type == VXP::BITFIELD && Field.Table.Bits != nullptr) {
    out += ",\"$ref\":\"#/$defs/bits." + std::string(Field.Table.Bits->ID) + "\"}";
  } else {
    out += ",\"$ref\":\"#/$defs/valor\"}";
  }
  return out;
}

std::string CommandDefinition(const CommandDescription& Command) {
  std::string properties = "{";
  std::string patterns = "{";
  const auto add = [&](std::string_view Name, const std::string& Definition) {
    if (properties.size() > 1) properties += ',';
    if (patterns.size() > 1) patterns += ',';
    AppendQuoted(properties, Name);
    properties += ':' + Definition;
    std::string pattern;
    AppendAlternatives(pattern, std::span<const std::string_view>(&Name, 1), false);
    patterns += pattern + ':' + Definition;
  };
  for (const FieldDescription& f : Command.Request) add(f.Name, FieldDefinition(f));
  add(kSequence, "{\"$ref\":\"#/$defs/secuencia\"}");
  std::string out = "{\"type\":\"object\",\"description\":";
  char code[32];
  std::snprintf(code, sizeof(code), "Comando 0x%02X", static_cast<unsigned>(Command.Command));
  AppendQuoted(out, code);
  return out + ",\"properties\":" + properties + "},\"patternProperties\":" + patterns +
         "},\"additionalProperties\":false}";
}

std::string CommonDefinitions() {
  return std::string("\"valor\":{\"type\":[\"string\",\"number\",\"boolean\",\"null\"],") +
         "\"maxLength\":" + std::to_string(VXB::Fields::MAX_FIELD) + ",\"pattern\":\"" +
         kNoControlBytes +
         "\"},\"secuencia\":{\"anyOf\":[{\"type\":\"integer\",\"minimum\":0,\"maximum\":"
         "4294967294},{\"type\":\"string\",\"pattern\":\"^[ \\\\t]*[0-9]{1,10}[ \\\\t]*$\"}]}";
}

std::string BuildSchema() {
  std::string alternatives;
  std::string definitions = CommonDefinitions();
  for (const CommandDescription& c : RG3561::AllCommands()) {
    if (!alternatives.empty()) alternatives += ',';
    std::string pattern;
    const std::string_view name = c.Name;
    AppendAlternatives(pattern, std::span<const std::string_view>(&name, 1), false);
    alternatives += "{\"title\":";
    AppendQuoted(alternatives, name);
    alternatives += ",\"type\":\"object\",\"patternProperties\":{" + pattern +
                    ":{\"$ref\":\"#/$defs/comando." + c.Name +
                    "\"}},\"additionalProperties\":false}";
    definitions += ",\"comando." + std::string(c.Name) + "\":" + CommandDefinition(c);
  }
  for (const CodeTable* t : RG3561::AllCodeTables())
    definitions += ",\"tabla." + std::string(t->Name) + "\":" + TableDefinition(*t);
  for (const RG3561::BitWordTable* w : RG3561::AllBitWords())
    definitions += ",\"bits." + std::string(w->ID) + "\":" + BitWordDefinition(*w);
  return "{\"$schema\":\"https://json-schema.org/draft/2020-12/schema\","
         "\"title\":\"Zorbel: documentos de comando\","
         "\"description\":\"Un objeto con un solo miembro, el comando, cuyos miembros son sus "
         "campos y opcionalmente Secuencia. Los nombres no distinguen may\\u00fasculas de "
         "min\\u00fasculas; un campo que el comando no tiene se rechaza.\","
         "\"type\":\"object\",\"minProperties\":1,\"maxProperties\":1,\"oneOf\":[" +
         alternatives + "],\"$defs\":{" + definitions + "}}";
}

// A value the readers take for the field: its default, or a sample of its
// type.
std::string SampleValue(const FieldDescription& Field) {
  if (Field.Type == VXP::ENUM && Field.Table.Codes != nullptr) {
    const CodeTable& t = *Field.Table.Codes;
    std::uint32_t code = t.Codes.front().Value;
    if (Field.Default != RG3561::MANDATORY) RG3561::CodeFromString(t, Field.Default, code);
    const char* name = RG3561::CodeToString(t, code, true);
    return name != nullptr ? name : "";
  }
  if (Field.Default != RG3561::MANDATORY) return Field.Default;
  switch (Field.Type) {
    case VXP::INTEGER:
      return "1";
    case VXP::REAL:
      return "1.00";
    case VXP::DATE:
      return "261210";
    case VXP::TIME:
      return "120000";
    case VXP::LONGDATE:
      return "20261210";
    default:
      return "Texto";
  }
}

// The bit names of a word's example: its first named bit.
const char* SampleBit(const FieldDescription& Field) {
  const RG3561::BitWordTable* w = Field.Table.Bits;
  return w != nullptr && !w->Names.empty() ? w->Names.front().Name : nullptr;
}

std::string ExampleJson(const CommandDescription& Command) {
  std::string out = "{";
  AppendQuoted(out, Command.Name);
  out += ":{";
  for (const FieldDescription& f : Command.Request) {
    AppendQuoted(out, f.Name);
    out += ':';
    if (f.Type == VXP::BITFIELD) {
      const char* bit = SampleBit(f);
      out += '[';
      if (bit != nullptr) AppendQuoted(out, bit);
      out += "],";
    } else {
      AppendQuoted(out, SampleValue(f));
      out += ',';
    }
  }
  AppendQuoted(out, kSequence);
  return out + ":1}}";
}

void AppendElement(std::string& Out, std::string_view Name, std::string_view Text) {
  Out += '<';
  Out += Name;
  Out += '>';
  Out += Text;  // names and samples hold no markup characters
  Out += "</";
  Out += Name;
  Out += '>';
}

std::string ExampleXml(const CommandDescription& Command) {
  std::string out = "<" + std::string(Command.Name) + ">";
  for (const FieldDescription& f : Command.Request) {
    if (f.Type != VXP::BITFIELD) {
      AppendElement(out, f.Name, SampleValue(f));
      continue;
    }
    std::string items;
    const char* bit = SampleBit(f);
    if (bit != nullptr) AppendElement(items, f.Name, bit);
    out += "<" + std::string(f.Name) + " type=\"list\">" + items + "</" + f.Name + ">";
  }
  AppendElement(out, kSequence, "1");
  return out + "</" + Command.Name + ">";
}

// The reference page.

using VXB::HTML::Attribute;
using VXB::HTML::Element;

// A heading that links can point at.
bool Heading(VXB::HTML::Writer& Html, unsigned Level, const char* Id, const char* Text) {
  static constexpr Element::Elements kLevels[] = {Element::H1, Element::H2, Element::H3};
  const Element e = kLevels[Level >= 1 && Level <= 3 ? Level - 1 : 0];
  return Html.AddElementBegin(e) && Html.AddAttribute(Attribute::ID, "%s", Id) &&
         Html.AddElementEnd() && Html.Text("%s", Text) && Html.CloseElement(e);
}

bool Row(VXB::HTML::Writer& Html, std::initializer_list<std::string_view> Cells) {
  if (!Html.BeginTableRow()) return false;
  for (std::string_view c : Cells) {
    if (!Html.BeginTableCol() || !Html.Text("%.*s", static_cast<int>(c.size()), c.data()) ||
        !Html.EndTableCol())
      return false;
  }
  return Html.EndTableRow();
}

std::string TypeText(const FieldDescription& Field) {
  std::string type = VXP::ToString(Field.Type);
  if (Field.Table.Name() != nullptr) type += std::string(" ") + Field.Table.Name();
  return type;
}

bool FieldTable(VXB::HTML::Writer& Html, Layout Fields) {
  if (Fields.empty()) return Html.Paragraph("Sin campos.");
  if (!Html.BeginTable("campos") || !Row(Html, {"#", "Campo", "Tipo", "Por defecto"})) return false;
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    const FieldDescription& f = Fields[i];
    const std::string number = std::to_string(i);
    const std::string default_text =
        f.Default == RG3561::MANDATORY ? "(obligatorio)" : "\"" + std::string(f.Default) + "\"";
    if (!Row(Html, {number, f.Name, TypeText(f), default_text})) return false;
  }
  return Html.EndTable();
}

bool AnswerTables(VXB::HTML::Writer& Html, const RG3561::AnswerDescription& Answer) {
  if (!Answer.ByContent()) return FieldTable(Html, Answer.Fixed);
  if (!Html.Paragraph("El campo %s decide los dem\xA0s:", Answer.Field0->Name)) return false;
  for (const RG3561::LayoutChoice& c : Answer.Choices) {
    const char* name =
        Answer.Deciding != nullptr ? RG3561::CodeToString(*Answer.Deciding, c.Code, true) : nullptr;
    if (!Html.Header(4, "%s = %s", Answer.Field0->Name, name != nullptr ? name : "?") ||
        !FieldTable(Html, RG3561::AnswerLayoutForCode(Answer, c.Code)))
      return false;
  }
  return true;
}

bool Example(VXB::HTML::Writer& Html, const std::string& Text) {
  return Html.BeginPreformattedText("ejemplo") &&
         Html.Text("%.*s", static_cast<int>(Text.size()), Text.data()) &&
         Html.EndPreformattedText();
}

bool CommandSection(VXB::HTML::Writer& Html, const CommandDescription& Command) {
  char title[80];
  std::snprintf(title, sizeof(title), "%s (0x%02X)", Command.Name,
                static_cast<unsigned>(Command.Command));
  return Heading(Html, 2, Command.Name, title) && Html.Header(3, "Pedido") &&
         FieldTable(Html, Command.Request) && Html.Header(3, "Respuesta") &&
         AnswerTables(Html, Command.Answer) && Html.Header(3, "Ejemplo JSON") &&
         Example(Html, ExampleJson(Command)) && Html.Header(3, "Ejemplo XML") &&
         Example(Html, ExampleXml(Command));
}

bool CodeTableSection(VXB::HTML::Writer& Html, const CodeTable& Table) {
  const std::string id = std::string("tabla.") + Table.Name;
  if (!Heading(Html, 3, id.c_str(), Table.Name) || !Html.BeginTable("codigos") ||
      !Row(Html, {"Nombre", "Valor en el paquete"}))
    return false;
  for (const RG3561::CodeEntry& e : Table.Codes) {
    if (!Row(Html, {e.Name, e.Text})) return false;
  }
  return Html.EndTable();
}

bool BitWordSection(VXB::HTML::Writer& Html, const RG3561::BitWordTable& Word) {
  const std::string id = std::string("bits.") + Word.ID;
  if (!Heading(Html, 3, id.c_str(), Word.ID) || !Html.BeginTable("bits") ||
      !Row(Html, {"Bit", "Nombre"}))
    return false;
  for (const RG3561::BitEntry& b : Word.Names) {
    if (!Row(Html, {std::to_string(b.Bit), b.Name})) return false;
  }
  return Html.EndTable();
}

bool Contents(VXB::HTML::Writer& Html) {
  if (!Html.Paragraph("Cada pedido es un documento con un solo miembro, el comando; sus "
                      "miembros son los campos y, opcionalmente, Secuencia. Esquema JSON: ") ||
      !Html.BeginLink("schema.json") || !Html.Text("schema.json") || !Html.EndLink())
    return false;
  if (!Html.BeginDiv("indice")) return false;
  for (const CommandDescription& c : RG3561::AllCommands()) {
    const std::string href = std::string("#") + c.Name;
    if (!Html.BeginLink(href.c_str()) || !Html.Text("%s", c.Name) || !Html.EndLink() ||
        !Html.Text(" "))
      return false;
  }
  return Html.EndDiv();
}

}  // namespace

const std::string& JsonSchema() {
  static const std::string schema = BuildSchema();
  return schema;
}

std::string ExampleRequest(const CommandDescription& Command, bool Xml) {
  return Xml ? ExampleXml(Command) : ExampleJson(Command);
}

bool WriteReferencePage(VXB::HTML::Writer& Html) {
  if (!Html.Begin("Comandos") || !Html.Header(1, "Comandos") || !Contents(Html)) return false;
  for (const CommandDescription& c : RG3561::AllCommands()) {
    if (!CommandSection(Html, c)) return false;
  }
  if (!Html.Header(2,
                   "Tablas de c\xA2"
                   "digos"))
    return false;
  for (const CodeTable* t : RG3561::AllCodeTables()) {
    if (!CodeTableSection(Html, *t)) return false;
  }
  if (!Html.Header(2, "Palabras de estado y de bits")) return false;
  for (const RG3561::BitWordTable* w : RG3561::AllBitWords()) {
    if (!BitWordSection(Html, *w)) return false;
  }
  return Html.End();
}

}  // namespace VXP::Reference
