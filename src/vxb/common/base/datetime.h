// Calendar date and time of day as small value types, with the compact
// decimal forms that debug packets carry and the text formats that log lines
// and pages use.
#ifndef VXB_COMMON_DATETIME_H_
#define VXB_COMMON_DATETIME_H_

#include <cstdint>

namespace VXB::Types {

class Date {
 public:
  enum Formats : unsigned {
    DEFAULT = 0,
    YYMMDD = 1,
    YYYYMMDD = 2,
    MMMDDYYYY = 3,
    DDMMMYYYY = 4,
    DDMMYY = 5,
    DDDMMMYYY = 6,
    DDMMYYYY = 7,
    DD_MM_YYYY = 8,
    MMDDYY = 9,
    MMDDYYYY = 10,
    YYYYMMMDD = 11,
    YYYYMMM = 12,
    YYYY_MM_DD = 13,
  };
  static constexpr unsigned MIN_YEAR = 1900;
  static constexpr unsigned MAX_YEAR = 2100;
  static Formats DefaultFormat;  // MMMDDYYYY

  Date() = default;
  // A year below 100 has 2000 added; nothing is validated.
  Date(unsigned Year, unsigned Month, unsigned Day);
  // From the compact number (see GetBinaryRepresentation); anything that is
  // not exactly seven digits when written as "%07u" gives an invalid date.
  explicit Date(std::uint32_t Compact);

  // The decimal number of (Year - 1900), month and day ("%u%02u%02u");
  // 0 for an invalid date.
  std::uint32_t GetBinaryRepresentation() const;
  bool IsInvalid() const;
  void Invalidate();
  static unsigned GetMonthDays(unsigned Year, unsigned Month);
  static bool IsLeapYear(unsigned Year);

  // Writes the text into Buffer (cut to Size - 1, always terminated); the
  // empty text for an invalid date or an unknown format. Returns Buffer.
  char* ToString(char* Buffer, unsigned Size, Formats Format = DEFAULT) const;
  // The same into the calling thread's rotating pool.
  const char* ToString(Formats Format = DEFAULT) const;

  bool operator==(const Date& o) const;
  bool operator!=(const Date& o) const { return !(*this == o); }
  bool operator<(const Date& o) const;
  bool operator>(const Date& o) const { return o < *this; }
  bool operator<=(const Date& o) const { return !(o < *this); }
  bool operator>=(const Date& o) const { return !(*this < o); }

  unsigned Year = 0;
  unsigned Mon = 0;
  unsigned Day = 0;
};

class Time {
 public:
  enum Formats : unsigned {
    DEFAULT = 0,
    HHHMMMSSS = 1,
    HHMMSS = 2,
    HHHMMM = 3,
    HHMM = 4,
  };
  static Formats DefaultFormat;  // HHHMMMSSS

  Time() = default;
  Time(unsigned Hour, unsigned Minute, unsigned Second);
  // From the compact number HHMMSS; anything that is not exactly six digits
  // when written as "%06u" gives an invalid time.
  explicit Time(std::uint32_t Compact);

  std::uint32_t GetBinaryRepresentation() const;
  bool IsInvalid() const;
  void Invalidate();  // hour 24, minute 0, second 0

  char* ToString(char* Buffer, unsigned Size, Formats Format = DEFAULT) const;
  const char* ToString(Formats Format = DEFAULT) const;

  bool operator==(const Time& o) const;
  bool operator!=(const Time& o) const { return !(*this == o); }
  bool operator<(const Time& o) const;
  bool operator>(const Time& o) const { return o < *this; }
  bool operator<=(const Time& o) const { return !(o < *this); }
  bool operator>=(const Time& o) const { return !(*this < o); }

  unsigned Hour = 0;
  unsigned Min = 0;
  unsigned Sec = 0;
};

extern const char* const MonthNames[13];  // index 1..12, "Enero".."Diciembre"

extern const Date INVALID_DATE;  // 0/0/0
extern const Time INVALID_TIME;  // 24:60:60
extern const Date DEFAULT_DATE;  // 2012-01-01
extern const Time DEFAULT_TIME;  // 12:00:00

// "%s %s" of the two default texts, in the calling thread's rotating pool.
const char* ToString(const Date& date, const Time& time);

}  // namespace VXB::Types

#endif  // VXB_COMMON_DATETIME_H_
