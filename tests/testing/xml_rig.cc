#include "testing/xml_rig.h"

#include "vxb/common/runtime/error.h"

namespace zorbel_testing {

using VXB::GenericDataFormat::Token;

std::string LastError() {
  const VXB::Error::ErrInfo& e = VXB::Error::GetCurrent();
  return "!" + std::to_string(e.Error) + " " + e.Context;
}

XmlReadRig::XmlReadRig()
    : chars(&source, VXB::ASCII::NO_CHARSET, VXB::ASCII::CP437, VXB::ASCII::NO_ENTITIES),
      xml(&chars),
      reader(&xml) {}

void XmlReadRig::Load(const std::string& doc) {
  this->doc = doc;
  source.SetText(this->doc);
  reader.Reset();
}

std::string XmlReadRig::Tokens() {
  static const char* const kKinds[] = {"OO", "CO", "OA", "CA", "NV", "AE"};
  std::string out;
  Token t;
  while (reader.GetToken(t)) {
    out += kKinds[t.Type];
    out += ' ';
    out += t.Name;
    if (t.Type == Token::NAME_VALUE || t.Type == Token::ARRAY_ELEMENT) {
      out += '=';
      out += t.Value;
    }
    out += '|';
  }
  return out + LastError();
}

std::string XmlReadRig::XmlTokens() {
  std::string out;
  VXB::XML::Reader::Token t;
  while (xml.GetToken(t)) {
    out += VXB::XML::ToString(t.Type);
    out += ' ';
    out += t.Value;
    if (t.Attributes != nullptr && t.Attributes[0].Name != nullptr) {
      out += '[';
      for (const VXB::XML::Attribute* a = t.Attributes; a->Name != nullptr; ++a) {
        if (a != t.Attributes) out += ',';
        out += std::string(a->Name) + "=" + a->Value;
      }
      out += ']';
    }
    out += '|';
  }
  return out + LastError();
}

XmlWriteRig::XmlWriteRig(VXB::ASCII::Charsets to)
    : out(&sink, VXB::ASCII::CP437, to, VXB::ASCII::NO_ENTITIES), xml(&out), writer(&xml) {}

}  // namespace zorbel_testing
