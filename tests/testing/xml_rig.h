// In-memory rigs for the XML reader and writer tests: a byte source over a
// string, a byte sink into a string, and the reader and writer chains the
// HTTP server builds, with helpers that render token streams as text.
#ifndef ZORBEL_TESTS_TESTING_XML_RIG_H_
#define ZORBEL_TESTS_TESTING_XML_RIG_H_

#include <string>

#include "vxb/common/driver.h"
#include "vxb/common/encoded_char_reader.h"
#include "vxb/common/encoded_string_writer.h"
#include "vxb/common/xml_generic.h"
#include "vxb/common/xml_reader.h"
#include "vxb/common/xml_writer.h"

namespace zorbel_testing {

// Hands out the bytes of a string (zero bytes included); 0 at the end.
class StringSource : public VXB::Driver::Generic {
 public:
  StringSource() : Generic("StringSource") {}
  void Set(std::string data) {
    data_ = std::move(data);
    pos_ = 0;
  }
  bool OK() const override { return true; }

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte*, unsigned, unsigned) override { return 0; }
  unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned) override;

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

// Collects every byte written.
class StringSink : public VXB::Driver::Generic {
 public:
  StringSink() : Generic("StringSink") {}
  bool OK() const override { return true; }
  std::string data;

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size, unsigned) override {
    data.append(reinterpret_cast<const char*>(buf), size);
    return size;
  }
  unsigned ReadBufferImplementation(VXB::Byte*, unsigned, unsigned) override { return 0; }
};

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

  StringSource source;
  VXB::Driver::EncodedCharReaderFromGeneric chars;
  VXB::XML::Reader xml;
  VXB::GenericDataFormat::XML::Reader reader;
};

// The answer side: generic tokens -> XML -> characters -> bytes.
struct XmlWriteRig {
  explicit XmlWriteRig(VXB::ASCII::Charsets to = VXB::ASCII::LATIN1);

  StringSink sink;
  VXB::Driver::EncodedStringWriterFromGeneric out;
  VXB::XML::Writer xml;
  VXB::GenericDataFormat::XML::Writer writer;
};

// "!<number> <context>" of the calling thread's current error.
std::string LastError();

}  // namespace zorbel_testing

#endif  // ZORBEL_TESTS_TESTING_XML_RIG_H_
