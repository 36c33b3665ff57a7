// The character-set settings shared by the encoded character reader and the
// encoded string writer: the set text comes from, the set it is turned
// into, and the entity mode. The settings persist until changed.
//
// Thread safety: belongs to its driver; one thread at a time.
#ifndef VXB_COMMON_ENCODED_DRIVER_H_
#define VXB_COMMON_ENCODED_DRIVER_H_

#include "vxb/common/text/charset.h"

namespace VXB::Driver {

class EncodedDriver {
 public:
  EncodedDriver(ASCII::Charsets From, ASCII::Charsets To, ASCII::Entities e)
      : charset_from_(From), charset_to_(To), entities_(e) {}

  ASCII::Charsets GetCharsetFrom() const { return charset_from_; }
  ASCII::Charsets GetCharsetTo() const { return charset_to_; }
  ASCII::Entities GetEntities() const { return entities_; }
  void SetCharsetFrom(ASCII::Charsets c) { charset_from_ = c; }
  void SetCharsetTo(ASCII::Charsets c) { charset_to_ = c; }
  void SetEntities(ASCII::Entities e) { entities_ = e; }

 protected:
  ~EncodedDriver() = default;

 private:
  ASCII::Charsets charset_from_;
  ASCII::Charsets charset_to_;
  ASCII::Entities entities_;
};

}  // namespace VXB::Driver

#endif  // VXB_COMMON_ENCODED_DRIVER_H_
