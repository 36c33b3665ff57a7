// Containers of numbered text fields. A command to the fiscal controller,
// and its answer, is one command byte followed by an ordered list of text
// fields: VardexDataContainer holds exactly that, joined by 0x1C as the
// packet carries them. Field texts are bytes in the container's encoding;
// the container neither checks nor converts them.
//
// Not thread-safe: one thread uses a container at a time. Texts returned by
// GetField live in the calling thread's rotating field pool.
#ifndef VXP_VARDEX_DATA_CONTAINER_H_
#define VXP_VARDEX_DATA_CONTAINER_H_

#include <cstdarg>
#include <string_view>

#include "vxb/common/base/types.h"
#include "vxb/common/text/charset.h"
#include "vxb/common/text/fields.h"

namespace VXP {

class DataContainer {
 public:
  virtual ~DataContainer() = default;
  virtual void Reset() = 0;
};

class TextFieldsContainer : public DataContainer {
 public:
  void SetEncoding(VXB::ASCII::Charsets Charset) { CurrentCharset = Charset; }
  VXB::ASCII::Charsets GetEncoding() const { return CurrentCharset; }
  virtual unsigned GetNumberOfFields() const = 0;

 protected:
  VXB::ASCII::Charsets CurrentCharset = VXB::ASCII::CP437;
};

class TextFieldsByNumberContainer : public TextFieldsContainer {
 public:
  virtual const char* GetField(unsigned n) const = 0;
  virtual bool SetField(unsigned n, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  virtual bool vSetField(unsigned n, const char* Format, va_list Args) = 0;
  virtual unsigned AddField(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  virtual unsigned vAddField(const char* Format, va_list Args) = 0;
};

class VardexDataContainer : public TextFieldsByNumberContainer {
 public:
  static constexpr char FIELD_SEPARATOR = 0x1C;

  explicit VardexDataContainer(VXB::Byte cmd);
  // Copies the text and field boundaries of f; the separator setting stays
  // the container's own.
  VardexDataContainer(VXB::Byte cmd, const VXB::Fields& f);
  // Copies command and fields; the copy starts in CP437.
  VardexDataContainer(const VardexDataContainer& d);
  // Copies command and fields; the target keeps its own encoding.
  VardexDataContainer& operator=(const VardexDataContainer& d);

  // Empties the field list; the command stays.
  void Reset() override;
  unsigned GetNumberOfFields() const override;
  // Field n's text, or "" at or beyond the end.
  const char* GetField(unsigned n) const override;
  using TextFieldsByNumberContainer::AddField;
  using TextFieldsByNumberContainer::SetField;
  bool vSetField(unsigned n, const char* Format, va_list Args) override;
  unsigned vAddField(const char* Format, va_list Args) override;
  // Field n becomes Text's bytes as they are, as SetField(n, "%s", ...)
  // would make it, without formatting.
  bool SetFieldText(unsigned n, std::string_view Text);

  VXB::Byte GetCommand() const { return Command; }
  void SetCommand(VXB::Byte cmd) { Command = cmd; }
  // The fields joined by 0x1C, as framed into the packet.
  const VXB::Fields& GetData() const { return Data; }

 private:
  void InitSeparators();

  VXB::Byte Command;
  mutable VXB::FieldsBySeparators Data;
};

}  // namespace VXP

#endif  // VXP_VARDEX_DATA_CONTAINER_H_
