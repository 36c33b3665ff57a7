// In-memory rigs for the XML reader and writer tests: the reader and writer
// chains the HTTP server builds, over in-memory byte streams, with helpers
// that render token streams as text.
#ifndef ZORBEL_TESTS_TESTING_XML_RIG_H_
#define ZORBEL_TESTS_TESTING_XML_RIG_H_

#include <string>

#include "vxb/common/format/xml_generic.h"
#include "vxb/common/format/xml_reader.h"
#include "vxb/common/format/xml_writer.h"
#include "vxb/common/io/driver.h"
#include "vxb/common/io/encoded_char_reader.h"
#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/io/string_driver.h"

namespace zorbel_testing {

// The request side: bytes -> characters -> XML tokens -> generic tokens.
struct XmlReadRig {
  XmlReadRig();
  // Starts a new document (the reader chain is reset).
  void Load(const std::string& doc);
  // Every generic token until reading stops, as "OO Name", "CO Name",
  // "OA Name", "CA Name", "NV Name=Value", "AE Name=Value", joined by '|',
  // then "|!<number> <context>" for the error that stopped it.
  std::string Tokens();
  // Every XML token, as "OPEN Name[attr=value,...]", "TEXT value",
  // "CLOSE Name", then "|!<number> <context>".
  std::string XmlTokens();

  std::string doc;
  VXB::Driver::StringSource source;
  VXB::Driver::EncodedCharReaderFromGeneric chars;
  VXB::XML::Reader xml;
  VXB::GenericDataFormat::XML::Reader reader;
};

// The answer side: generic tokens -> XML -> characters -> bytes.
struct XmlWriteRig {
  explicit XmlWriteRig(VXB::ASCII::Charsets to = VXB::ASCII::LATIN1);

  VXB::Driver::StringSink sink;
  VXB::Driver::EncodedStringWriterFromGeneric out;
  VXB::XML::Writer xml;
  VXB::GenericDataFormat::XML::Writer writer;
};

// "!<number> <context>" of the calling thread's current error.
std::string LastError();

}  // namespace zorbel_testing

#endif  // ZORBEL_TESTS_TESTING_XML_RIG_H_
