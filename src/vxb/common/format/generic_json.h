// The token stream over JSON: adapters between the format-neutral Reader and
// Writer and the JSON reader and writer.
//
// Shape: a command document is an outer object whose member, named after
// the command, holds an object of members and arrays. The outer object is
// not reported by the reader and is written by the writer around the first
// container. An object inside an array takes its name from a first member
// named "class", or else the name of the previous object of that array.
// A "class" member also renames any other object it opens.
//
// Reader: the end of the input inside a document is IO_EOF_REACHED; the
// JSON reader's syntax errors pass through. The JSON reader already
// refuses more than MAX_NESTING levels.
//
// Writer: after the outermost container closes (which closes the outer
// object and flushes), further calls write nothing and succeed until
// Reset(). Closing with nothing open, a value outside an object and an
// element outside an array fail without writing (IO_PARAM_ERROR).
//
// Thread safety: one thread uses an adapter at a time.
#ifndef VXB_COMMON_GENERIC_JSON_H_
#define VXB_COMMON_GENERIC_JSON_H_

#include "vxb/common/format/generic_data_format.h"
#include "vxb/common/format/json_reader.h"
#include "vxb/common/format/json_writer.h"

namespace VXB::GenericDataFormat::JSON {

class Reader : public GenericDataFormat::Reader {
 public:
  // Reads through r (not owned).
  explicit Reader(::VXB::JSON::Reader* r);

  const char* ToString() const override { return "JSON"; }
  // Always UTF8: JSON is read as UTF-8.
  ASCII::Charsets GetEncoding() const override;
  // Does nothing.
  void SetEncoding(ASCII::Charsets) override {}
  void Reset() override;
  Driver::EncodedCharReader* GetDriver() const override { return r_->GetDriver(); }

 protected:
  bool DoGetToken(Token& t) override;

 private:
  struct Structure {
    char Name[MAX_NAME + 1];
    char LastName[MAX_NAME + 1];
  };

  bool ReadJsonToken();
  // After a container of the document closed: consumes the outer object's
  // close when it comes next.
  bool ConsumeRootClose(const char* Context);

  ::VXB::JSON::Reader* r_;
  ::VXB::JSON::Reader::Token tok_;
  bool pending_token_ = false;
  bool root_consumed_ = false;
  Structure context_[MAX_NESTING];
  unsigned depth_ = 0;
};

class Writer : public GenericDataFormat::Writer {
 public:
  // Writes through w (not owned).
  explicit Writer(::VXB::JSON::Writer* w);

  using GenericDataFormat::Writer::NameValue;

  const char* ToString() const override { return "JSON"; }
  ASCII::Charsets GetEncoding() const override;
  void SetEncoding(ASCII::Charsets c) override { w_->SetEncoding(c); }
  void Reset() override;
  bool SetWhitespaceCompression(bool b) override { return w_->SetWhitespaceCompression(b); }
  Driver::EncodedStringWriter* GetDriver() const override { return w_->GetDriver(); }

  bool OpenObject(const char* Name) override;
  bool NameValue(const char* Name, const char* Value) override;
  bool NameValue(const char* Name, bool Value) override;
  bool CloseObject() override;
  bool OpenArray(const char* Name) override;
  bool ArrayElement(const char* Value) override;
  bool CloseArray() override;

 protected:
  bool NameNumber(const char* Name, const char* Text) override;

 private:
  struct Structure {
    char LastName[MAX_NAME + 1];
    bool IsObject;
  };

  bool Push(bool IsObject);
  bool Close(bool IsObject);
  // True inside an object; else false with IO_PARAM_ERROR.
  bool InObject();

  ::VXB::JSON::Writer* w_;
  bool all_closed_ = false;
  Structure context_[MAX_NESTING];
  unsigned depth_ = 0;
};

}  // namespace VXB::GenericDataFormat::JSON

#endif  // VXB_COMMON_GENERIC_JSON_H_
