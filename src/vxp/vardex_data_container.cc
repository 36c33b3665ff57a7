// The command/answer container of the fiscal packet protocol.
#include "vxp/vardex_data_container.h"

namespace VXP {

bool TextFieldsByNumberContainer::SetField(unsigned n, const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  bool result = vSetField(n, Format, args);
  va_end(args);
  return result;
}

unsigned TextFieldsByNumberContainer::AddField(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  unsigned result = vAddField(Format, args);
  va_end(args);
  return result;
}

VardexDataContainer::VardexDataContainer(VXB::Byte cmd) : Command(cmd) { InitSeparators(); }

VardexDataContainer::VardexDataContainer(VXB::Byte cmd, const VXB::Fields& f) : Command(cmd) {
  InitSeparators();
  Data = f;
}

VardexDataContainer::VardexDataContainer(const VardexDataContainer& d)
    : TextFieldsByNumberContainer(), Command(d.Command) {
  InitSeparators();
  const unsigned n = d.GetNumberOfFields();
  for (unsigned i = 0; i < n; ++i) AddField("%s", d.GetField(i));
}

VardexDataContainer& VardexDataContainer::operator=(const VardexDataContainer& d) {
  if (this == &d) return *this;
  Reset();
  Command = d.Command;
  const unsigned n = d.GetNumberOfFields();
  for (unsigned i = 0; i < n; ++i) AddField("%s", d.GetField(i));
  return *this;
}

void VardexDataContainer::InitSeparators() {
  Data.ResetSeparators();
  Data.AddSeparator(FIELD_SEPARATOR);
  Data.SetConsecutiveSeparatorsIsField(true);
}

void VardexDataContainer::Reset() { Data.Clear(); }

unsigned VardexDataContainer::GetNumberOfFields() const { return Data.GetNumberOfFields(); }

const char* VardexDataContainer::GetField(unsigned n) const { return Data.GetTextField(n); }

bool VardexDataContainer::vSetField(unsigned n, const char* Format, va_list Args) {
  return Data.vSetTextField(n, Format, Args);
}

bool VardexDataContainer::SetFieldText(unsigned n, std::string_view Text) {
  // Longer than a field holds: refused with the error recorded, as the
  // formatted setter does.
  return Data.SetBinaryField(n, reinterpret_cast<const VXB::Byte*>(Text.data()),
                             static_cast<unsigned>(Text.size()));
}

unsigned VardexDataContainer::vAddField(const char* Format, va_list Args) {
  return Data.vNewTextField(Format, Args);
}

}  // namespace VXP
