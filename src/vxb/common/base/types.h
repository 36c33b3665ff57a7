// Basic scalar types and constants shared by the whole system.
#ifndef VXB_COMMON_TYPES_H_
#define VXB_COMMON_TYPES_H_

#include <cstdint>

// Lets the compiler check printf-style calls where it can.
#if defined(__MINGW32__)
// MinGW's runtime is built with its own standard-conforming printf.
#define VXB_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(gnu_printf, format_index, first_arg)))
#elif defined(__GNUC__) || defined(__clang__)
#define VXB_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#else
#define VXB_PRINTF_FORMAT(format_index, first_arg)
#endif

namespace VXB {

namespace Types {
using Byte = std::uint8_t;
using uint8 = std::uint8_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
}  // namespace Types

using Types::Byte;

namespace Constants {
// A time-out that never expires, accepted by every time-out in the system.
inline constexpr unsigned WAIT_FOREVER = 0xFFFFFFFFu;
}  // namespace Constants

}  // namespace VXB

#endif  // VXB_COMMON_TYPES_H_
