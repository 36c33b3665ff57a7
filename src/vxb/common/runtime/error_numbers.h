// Error numbers of the base library. Each base module owns a block of 250
// numbers by convention (module m from m * 250); a few numbers lie outside
// their block and are kept as they are because stored logs and clients know
// them.
#ifndef VXB_COMMON_ERROR_NUMBERS_H_
#define VXB_COMMON_ERROR_NUMBERS_H_

#include <cstdint>

namespace VXB::Error {

using ErrNo = std::uint32_t;
using Modules = std::uint32_t;

// Base library modules.
inline constexpr Modules SYSTEM = 0;
inline constexpr Modules IO = 1;
inline constexpr Modules SOCK = 2;
inline constexpr Modules XML = 3;
inline constexpr Modules JSON = 4;
inline constexpr Modules CRYPTOGRAPHY = 5;
inline constexpr Modules IMAGE = 6;

inline constexpr ErrNo NO_CURRENT_ERROR = 0;
inline constexpr ErrNo SYSTEM_MUTEX_ERROR = 10;
inline constexpr ErrNo SYSTEM_SEMAPHORE_ERROR = 11;
inline constexpr ErrNo SYSTEM_RTC_ERROR = 12;
inline constexpr ErrNo SYSTEM_DRIVER_ERROR = 13;
inline constexpr ErrNo SYSTEM_ABORTED_PROCESS = 14;
inline constexpr ErrNo SYSTEM_OUT_OF_MEMORY = 15;
inline constexpr ErrNo SYSTEM_SERVICE_ERROR = 260;
inline constexpr ErrNo IO_READ_ERROR = 250;
inline constexpr ErrNo IO_WRITE_ERROR = 251;
inline constexpr ErrNo IO_OPEN_ERROR = 252;
inline constexpr ErrNo IO_SEEK_ERROR = 253;
inline constexpr ErrNo IO_CLOSE_ERROR = 254;
inline constexpr ErrNo IO_EOF_REACHED = 255;
inline constexpr ErrNo IO_MOUNT_ERROR = 256;
inline constexpr ErrNo IO_COMPRESS_ERROR = 257;
inline constexpr ErrNo IO_TIMEOUT_ERROR = 258;
inline constexpr ErrNo IO_FS_ERROR = 259;
inline constexpr ErrNo IO_PARAM_ERROR = 260;
inline constexpr ErrNo IO_NOT_OPEN = 261;
inline constexpr ErrNo IO_DISABLED = 262;
inline constexpr ErrNo IO_NOT_IMPLEMENTED = 263;
inline constexpr ErrNo IO_WRITE_ONLY = 264;
inline constexpr ErrNo IO_READ_ONLY = 265;
inline constexpr ErrNo IO_ABORTED = 266;
inline constexpr ErrNo IO_FORMAT_ERROR = 510;
inline constexpr ErrNo IO_IOCTL_ERROR = 511;
inline constexpr ErrNo IO_OPERATION_ERROR = 512;
inline constexpr ErrNo SOCK_ERROR_VERSION = 500;
inline constexpr ErrNo SOCK_BIND_ERROR = 501;
inline constexpr ErrNo SOCK_SELECT_ERROR = 502;
inline constexpr ErrNo SOCK_ERROR_CONNECT = 503;
inline constexpr ErrNo SOCK_ERROR_INIT = 504;
inline constexpr ErrNo SOCK_ERROR_GENERAL = 505;
inline constexpr ErrNo SOCK_ERROR_ACCEPT = 506;
inline constexpr ErrNo SOCK_CONFIGURE_ERROR = 507;
inline constexpr ErrNo SOCK_CONNECTION_CLOSED = 508;
inline constexpr ErrNo SOCK_LISTEN_ERROR = 509;
inline constexpr ErrNo XML_TOKEN_MISMATCH = 750;
inline constexpr ErrNo XML_EOF = 751;
inline constexpr ErrNo XML_BAD_ENCODING = 752;
inline constexpr ErrNo XML_INVALID_CHAR = 753;
inline constexpr ErrNo XML_TAG_UNDERFLOW = 754;
inline constexpr ErrNo XML_ATTRIBUTE_OVERFLOW = 755;
inline constexpr ErrNo XML_UNEXPECTED_TEXT = 756;
inline constexpr ErrNo XML_NO_OPEN_TAG = 757;
inline constexpr ErrNo XML_TAG_MISMATCH = 758;
inline constexpr ErrNo XML_INVALID_IDENTIFIER = 759;
inline constexpr ErrNo JSON_EOF = 1000;
inline constexpr ErrNo JSON_SYNTAX_ERROR = 1001;
inline constexpr ErrNo CRYPTOGRAPHY_INIT = 1250;
inline constexpr ErrNo CRYPTOGRAPHY_MEMORY_ERROR = 1251;
inline constexpr ErrNo CRYPTOGRAPHY_INVALID_CERTIFICATE = 1252;
inline constexpr ErrNo CRYPTOGRAPHY_INVALID_KEY = 1253;
inline constexpr ErrNo CRYPTOGRAPHY_NOT_SUPPORTED_ALGORITHM = 1254;
inline constexpr ErrNo CRYPTOGRAPHY_ERROR = 1255;
inline constexpr ErrNo CRYPTOGRAPHY_SSL_ERROR = 1256;
inline constexpr ErrNo CRYPTOGRAPHY_SIGNATURE_FAIL = 1257;
inline constexpr ErrNo CRYPTOGRAPHY_CERTIFICATE_DATE = 1258;
inline constexpr ErrNo CRYPTOGRAPHY_RAND_GENERATOR_ERROR = 1259;
inline constexpr ErrNo CRYPTOGRAPHY_KEY_TOO_LARGE = 1260;
inline constexpr ErrNo IMAGE_HEADER_ERROR = 1500;
inline constexpr ErrNo IMAGE_FORMAT_ERROR = 1501;
inline constexpr ErrNo IMAGE_READ_ERROR = 1502;

}  // namespace VXB::Error

#endif  // VXB_COMMON_ERROR_NUMBERS_H_
