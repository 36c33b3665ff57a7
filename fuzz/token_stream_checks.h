// Checks shared by the format fuzz targets: any reader driven through the
// format-neutral token stream, with a peek now and then, must give the same
// token on the next get as the peek showed and keep every text within its
// limits.
#ifndef ZORBEL_FUZZ_TOKEN_STREAM_CHECKS_H_
#define ZORBEL_FUZZ_TOKEN_STREAM_CHECKS_H_

#include <cstdlib>
#include <cstring>

#include "vxb/common/format/generic_data_format.h"

namespace fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Reads the whole stream; ends at the first failure or the end.
inline void WalkTokenStream(VXB::GenericDataFormat::Reader& g) {
  VXB::GenericDataFormat::Token t, peeked;
  for (unsigned i = 0;; ++i) {
    if (i % 3 == 0 && g.PeekToken(peeked)) {
      Check(g.GetToken(t));
      Check(t.Type == peeked.Type && std::strcmp(t.Name, peeked.Name) == 0 &&
            std::strcmp(t.Value, peeked.Value) == 0);
    } else if (!g.GetToken(t)) {
      break;
    }
    Check(std::strlen(t.Name) <= VXB::GenericDataFormat::MAX_NAME);
    Check(std::strlen(t.Value) <= VXB::GenericDataFormat::MAX_VALUE);
  }
}

}  // namespace fuzz

#endif  // ZORBEL_FUZZ_TOKEN_STREAM_CHECKS_H_
