// The check shared by the document-to-packet fuzz targets: a document that
// converts gives a command byte and fields free of every byte that frames
// packets.
#ifndef ZORBEL_FUZZ_PACKET_CHECKS_H_
#define ZORBEL_FUZZ_PACKET_CHECKS_H_

#include <cstdlib>

#include "vxb/common/format/generic_data_format.h"
#include "vxp/format2packet.h"

namespace fuzz {

inline void ConvertAndCheck(VXB::GenericDataFormat::Reader& g) {
  g.Reset();
  VXP::VardexDataContainer packet(0);
  unsigned sequence = 0;
  bool given = false;
  if (!VXP::FormatToPacket(&g, packet, sequence, given, nullptr)) return;
  if (packet.GetCommand() == 0) std::abort();
  for (unsigned n = 0; n < packet.GetNumberOfFields(); ++n) {
    for (const char* p = packet.GetField(n); *p != 0; ++p) {
      if (VXP::IsPacketControlByte(*p)) std::abort();
    }
  }
}

}  // namespace fuzz

#endif  // ZORBEL_FUZZ_PACKET_CHECKS_H_
