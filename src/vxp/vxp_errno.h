// Error codes of the application library. The protocol and the request
// processing record these numbers when something fails; their symbols and
// messages travel to the point-of-sale client inside the error answer, so
// numbers, symbols and messages must never change.
//
// Each module owns a block of 250 numbers: PROTOCOL from 20000, INTERFACE
// from 20250, COUPON_PRINTER from 20500. Messages are stored in the internal
// character set.
//
// Thread safety: Init() writes the process-wide error registry and must run
// at start-up, before other threads exist.
#ifndef VXP_VXP_ERRNO_H_
#define VXP_VXP_ERRNO_H_

#include "vxb/common/runtime/error_numbers.h"

namespace VXP::Error {

using VXB::Error::ErrNo;
using VXB::Error::Modules;

// Error modules.
inline constexpr Modules PROTOCOL = 200;
inline constexpr Modules INTERFACE = 201;
inline constexpr Modules COUPON_PRINTER = 202;

// PROTOCOL (20008-20015 are not used).
inline constexpr ErrNo PROTOCOL_NO_TRANSPORT = 20000;
inline constexpr ErrNo PROTOCOL_SIZE = 20001;
inline constexpr ErrNo PROTOCOL_ABORTED = 20002;
inline constexpr ErrNo PROTOCOL_COMM_ANOMALY = 20003;
inline constexpr ErrNo PROTOCOL_WRONG_PROTOCOL = 20004;
inline constexpr ErrNo PROTOCOL_INVALID_PACKET = 20005;
inline constexpr ErrNo PROTOCOL_MAX_RETRIES = 20006;
inline constexpr ErrNo PROTOCOL_COMMAND_REJECTED = 20007;
inline constexpr ErrNo PROTOCOL_RESOURCE_NOT_FOUND = 20016;
inline constexpr ErrNo PROTOCOL_PACKET_REJECTED = 20017;
inline constexpr ErrNo PROTOCOL_SYNTAX_ERROR = 20018;
inline constexpr ErrNo PROTOCOL_INVALID_ENCODING = 20019;
inline constexpr ErrNo PROTOCOL_UNKNOWN_COMMAND = 20020;
inline constexpr ErrNo PROTOCOL_CHECKSUM_MISMATCH = 20021;
inline constexpr ErrNo PROTOCOL_INVALID_SEQUENCE = 20022;
inline constexpr ErrNo PROTOCOL_SEQUENCE_MISMATCH = 20023;
inline constexpr ErrNo PROTOCOL_INVALID_CONTENT_TYPE = 20024;

// INTERFACE (20252-20253 are not used).
inline constexpr ErrNo INTERFACE_COMMAND_REJECTED = 20250;
inline constexpr ErrNo INTERFACE_UNKNOWN_PROTOCOL = 20251;
inline constexpr ErrNo INTERFACE_SYNTAX_ERROR = 20254;
inline constexpr ErrNo INTERFACE_UNRECOGNIZED_COMMAND = 20255;
inline constexpr ErrNo INTERFACE_UNRECOGNIZED_FIELD = 20256;
inline constexpr ErrNo INTERFACE_MISSING_FIELD = 20257;
inline constexpr ErrNo INTERFACE_INVALID_STATE = 20258;
inline constexpr ErrNo INTERFACE_COMMAND_ABORTED = 20259;

// COUPON_PRINTER.
inline constexpr ErrNo COUPON_PRINTER_INVALID_IMAGE_FILE = 20500;
inline constexpr ErrNo COUPON_PRINTER_INVALID_IMAGE_SIZE = 20501;

// The application name under which the codes are registered.
inline constexpr const char* APPLICATION_NAME = "VXP";

// Registers every code above with the base library's error registry, in
// ascending order, under APPLICATION_NAME. Call after VXB::Error::Init().
// Calling it again registers the same values again and changes nothing.
void Init();

}  // namespace VXP::Error

#endif  // VXP_VXP_ERRNO_H_
