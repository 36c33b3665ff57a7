// The token stream of command documents over XML: a reader adapter that
// turns the XML reader's tags and texts into tokens, and a writer adapter
// that writes tokens as elements.
//
//   element with text            NAME_VALUE (ARRAY_ELEMENT inside a list)
//   element with child elements  OPEN_OBJECT ... CLOSE_OBJECT
//     or with no content
//   element whose first          OPEN_ARRAY ... CLOSE_ARRAY; its children
//     attribute is type="list"   are named like the list and each holds
//                                one element's text (<L/> is an empty one)
//
// Text mixed with child elements, a close tag that does not match, a list
// child named otherwise than its list and an object inside a list are
// refused with XML_TOKEN_MISMATCH. The end of the input inside a document
// is IO_EOF_REACHED. After a failure every further read repeats it until
// Reset(). Containers nest at most MAX_NESTING deep; the context
// stacks hold that many levels and refuse (false, nothing written) beyond.
//
// Thread safety: one thread uses an adapter at a time.
#ifndef VXB_COMMON_XML_GENERIC_H_
#define VXB_COMMON_XML_GENERIC_H_

#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/format/xml_reader.h"
#include "vxb/common/format/xml_writer.h"
#include "vxb/common/runtime/error.h"

namespace VXB::GenericDataFormat::XML {

class Reader : public GenericDataFormat::Reader {
 public:
  // Reads through r (not owned; it must outlive the adapter).
  explicit Reader(VXB::XML::Reader* r);
  ~Reader() override;

  const char* ToString() const override { return "XML"; }
  ASCII::Charsets GetEncoding() const override { return r_->GetEncoding(); }
  void SetEncoding(ASCII::Charsets c) override { r_->SetEncoding(c); }
  void Reset() override;
  Driver::EncodedCharReader* GetDriver() const override { return r_->GetDriver(); }

 protected:
  bool DoGetToken(Token& t) override;

 private:
  struct Structure {
    char Name[MAX_NAME + 1];
    bool IsArray;
  };

  bool ReadToken(Token& t);
  // The next XML token into tokens_[slot]; a look-ahead kept pending is
  // delivered first.
  bool Next(unsigned& slot);
  bool Push(const char* Name, bool IsArray);
  const Structure& Top() const { return context_[depth_ - 1]; }

  VXB::XML::Reader* r_;
  // The current token, the one read ahead, and a close tag.
  VXB::XML::Reader::Token tokens_[3];
  bool token_pending_ = false;
  unsigned pending_slot_ = 0;
  // context_[0] is the unnamed sentinel of the document's outer level.
  Structure context_[MAX_NESTING + 1] = {};
  unsigned depth_ = 1;
  // A failed document stays failed until Reset: every read repeats it.
  bool failed_ = false;
  VXB::Error::ErrInfo failure_;
};

class Writer : public GenericDataFormat::Writer {
 public:
  // Writes through w (not owned; it must outlive the adapter).
  explicit Writer(VXB::XML::Writer* w);
  ~Writer() override;

  const char* ToString() const override { return "XML"; }
  ASCII::Charsets GetEncoding() const override { return w_->GetEncoding(); }
  void SetEncoding(ASCII::Charsets c) override { w_->SetEncoding(c); }
  void Reset() override;
  bool SetWhitespaceCompression(bool b) override { return w_->SetWhitespaceCompression(b); }
  Driver::EncodedStringWriter* GetDriver() const override { return w_->GetDriver(); }

  using GenericDataFormat::Writer::NameValue;
  bool OpenObject(const char* Name) override;
  bool NameValue(const char* Name, const char* Value) override;
  // "S\xA1" or "No".
  bool NameValue(const char* Name, bool Value) override;
  bool CloseObject() override;
  bool OpenArray(const char* Name) override;
  bool ArrayElement(const char* Value) override;
  bool CloseArray() override;

 protected:
  bool NameNumber(const char* Name, const char* Text) override;

 private:
  struct Structure {
    char Name[MAX_NAME + 1];
    bool IsArray;
  };

  bool Push(const char* Name, bool IsArray);
  bool Pop();

  VXB::XML::Writer* w_;
  Structure context_[MAX_NESTING] = {};
  unsigned depth_ = 0;
};

}  // namespace VXB::GenericDataFormat::XML

#endif  // VXB_COMMON_XML_GENERIC_H_
