#include "vxp/zorbel.h"

#include "vxb/common/base/ascii.h"
#include "vxp/argentina/conversion_comandos_fiscales_rg3561.h"
#include "vxp/format2packet.h"
#include "vxp/vxp_translations.h"

namespace VXP::Zorbel {

namespace {

namespace RG3561 = Argentina::RG3561;
namespace P = Translations::PROTOCOL;
using Translations::Get;

}  // namespace

bool WriteAnswer(VXB::GenericDataFormat::Writer& w, VXB::Debug::Debugger* Debugger,
                 const VardexDataContainer& Data, VXB::Types::uint16 PrinterStatus,
                 VXB::Types::uint16 FiscalStatus, const unsigned* Sequence, bool Busy) {
  const char* name = Busy
                         ? Get(P::BUSY_STATE)
                         : RG3561::ToStringOrCode(static_cast<RG3561::Comandos>(Data.GetCommand()));
  if (!w.OpenObject(name)) return false;
  if (Sequence != nullptr &&
      !w.NameValue(Get(P::SEQUENCE_NUMBER),
                   VXB::ASCII::ToString(static_cast<std::uint32_t>(*Sequence))))
    return false;
  if (!FormatFromPacket(&w, Data, RG3561::Estado::Impresora(PrinterStatus),
                        RG3561::Estado::Fiscal(FiscalStatus), Debugger))
    return false;
  return w.CloseObject();
}

bool WriteLastError(VXB::GenericDataFormat::Writer& w, VXB::Debug::Debugger* Debugger,
                    const VXB::Error::ErrInfo& e, VXB::Byte Command) {
  const char* command = RG3561::ToString(static_cast<RG3561::Comandos>(Command));
  if (command != nullptr && !w.OpenObject(command)) return false;
  if (!w.OpenObject(Get(P::ERROR)) ||
      !w.NameValue(Get(P::ERROR_IDENTIFIER), VXB::Error::ToID(e.Error)) ||
      !w.NameValue(Get(P::ERROR_DESCRIPTION), e.Description) ||
      !w.NameValue(Get(P::ERROR_CONTEXT), e.Context) || !w.CloseObject())
    return false;
  if (Debugger != nullptr) Debugger->Print("Error: %s (%s)", e.Description, e.Context);
  return command == nullptr || w.CloseObject();
}

}  // namespace VXP::Zorbel
