// Calendar date and time-of-day values: validity, compact numbers and texts.
#include "vxb/common/base/datetime.h"

#include <cstdarg>
#include <cstdio>

#include "vxb/common/base/circular.h"
#include "vxb/common/base/types.h"

namespace VXB::Types {

namespace {

// Longest text of one date or time, with its terminator.
constexpr unsigned TEXT_SIZE = 50;
// Longest "<date> <time>" text, with its terminator.
constexpr unsigned PAIR_SIZE = 101;

// Each thread's rotating pool for the texts handed out without ownership.
CircularChars<PAIR_SIZE, 10>& Pool() {
  thread_local CircularChars<PAIR_SIZE, 10> pool;
  return pool;
}

// Bounded, always terminated formatting into Buffer (Size > 0).
void Format(char* Buffer, unsigned Size, const char* Fmt, ...) VXB_PRINTF_FORMAT(3, 4);
void Format(char* Buffer, unsigned Size, const char* Fmt, ...) {
  va_list args;
  va_start(args, Fmt);
  std::vsnprintf(Buffer, Size, Fmt, args);
  va_end(args);
}

// The decimal text of High followed by Low in at least two digits, read back
// as a number (the digits of Low never overlap those of High).
std::uint64_t Join(std::uint64_t High, unsigned Low) {
  std::uint64_t scale = 100;
  while (Low >= scale) scale *= 10;
  return High * scale + Low;
}

// Two-digit year: years before 2000 count from 1900, later ones from 2000.
unsigned ShortYear(unsigned Year) { return Year < 2000 ? Year - 1900 : Year - 2000; }

}  // namespace

Date::Formats Date::DefaultFormat = Date::MMMDDYYYY;
Time::Formats Time::DefaultFormat = Time::HHHMMMSSS;

const char* const MonthNames[13] = {
    "",      "Enero",  "Febrero",    "Marzo",   "Abril",     "Mayo",      "Junio",
    "Julio", "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre",
};

const Date INVALID_DATE{};
const Time INVALID_TIME{24, 60, 60};
const Date DEFAULT_DATE{2012, 1, 1};
const Time DEFAULT_TIME{12, 0, 0};

// ---------------------------------------------------------------- Date

Date::Date(unsigned year, unsigned month, unsigned day)
    : Year(year < 100 ? year + 2000 : year), Mon(month), Day(day) {}

Date::Date(std::uint32_t Compact) {
  // Exactly seven digits when written with leading zeros: YYYMMDD, with YYY
  // the years since 1900. Zero and anything longer are not dates.
  if (Compact == 0 || Compact > 9999999u) {
    Invalidate();
    return;
  }
  Year = Compact / 10000 + 1900;
  Mon = (Compact / 100) % 100;
  Day = Compact % 100;
}

std::uint32_t Date::GetBinaryRepresentation() const {
  if (IsInvalid()) return 0;
  return static_cast<std::uint32_t>(Join(Join(Year - 1900, Mon), Day));
}

bool Date::IsLeapYear(unsigned year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned Date::GetMonthDays(unsigned year, unsigned month) {
  static constexpr unsigned kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month];
}

bool Date::IsInvalid() const {
  if (Year < MIN_YEAR || Year > MAX_YEAR) return true;
  if (Mon < 1 || Mon > 12) return true;
  return Day < 1 || Day > GetMonthDays(Year, Mon);
}

void Date::Invalidate() { Year = Mon = Day = 0; }

char* Date::ToString(char* Buffer, unsigned Size, Formats Fmt) const {
  if (Buffer == nullptr || Size == 0) return Buffer;
  Buffer[0] = '\0';
  if (IsInvalid()) return Buffer;
  if (Fmt == DEFAULT) Fmt = DefaultFormat == DEFAULT ? MMMDDYYYY : DefaultFormat;
  const char* month = MonthNames[Mon];
  const unsigned yy = ShortYear(Year);
  switch (Fmt) {
    case YYMMDD:
      Format(Buffer, Size, "%02u%02u%02u", yy, Mon, Day);
      break;
    case YYYYMMDD:
      Format(Buffer, Size, "%04u%02u%02u", Year, Mon, Day);
      break;
    case MMMDDYYYY:
      Format(Buffer, Size, "%s %u, %04u", month, Day, Year);
      break;
    case DDMMMYYYY:
      Format(Buffer, Size, "%u %s, %04u", Day, month, Year);
      break;
    case DDMMYY:
      Format(Buffer, Size, "%02u/%02u/%02u", Day, Mon, yy);
      break;
    case DDDMMMYYY:
      Format(Buffer, Size, "%02u%02u%02u", Day, Mon, yy);
      break;
    case DDMMYYYY:
      Format(Buffer, Size, "%02u/%02u/%04u", Day, Mon, Year);
      break;
    case DD_MM_YYYY:
      Format(Buffer, Size, "%02u-%02u-%04u", Day, Mon, Year);
      break;
    case MMDDYY:
      Format(Buffer, Size, "%02u/%02u/%02u", Mon, Day, yy);
      break;
    case MMDDYYYY:
      Format(Buffer, Size, "%02u/%02u/%04u", Mon, Day, Year);
      break;
    case YYYYMMMDD:
      Format(Buffer, Size, "%04u, %s %u", Year, month, Day);
      break;
    case YYYYMMM:
      Format(Buffer, Size, "%04u, %s", Year, month);
      break;
    case YYYY_MM_DD:
      Format(Buffer, Size, "%04u-%02u-%02u", Year, Mon, Day);
      break;
    default:  // unknown formats write nothing
      break;
  }
  return Buffer;
}

const char* Date::ToString(Formats Fmt) const {
  return ToString(Pool().GetBuf(TEXT_SIZE), TEXT_SIZE, Fmt);
}

bool Date::operator==(const Date& o) const {
  return Year == o.Year && Mon == o.Mon && Day == o.Day;
}

bool Date::operator<(const Date& o) const {
  if (Year != o.Year) return Year < o.Year;
  if (Mon != o.Mon) return Mon < o.Mon;
  return Day < o.Day;
}

// ---------------------------------------------------------------- Time

Time::Time(unsigned hour, unsigned minute, unsigned second)
    : Hour(hour), Min(minute), Sec(second) {}

Time::Time(std::uint32_t Compact) {
  // Exactly six digits when written with leading zeros: HHMMSS.
  if (Compact > 999999u) {
    Invalidate();
    return;
  }
  Hour = Compact / 10000;
  Min = (Compact / 100) % 100;
  Sec = Compact % 100;
}

std::uint32_t Time::GetBinaryRepresentation() const {
  return static_cast<std::uint32_t>(Join(Join(Hour, Min), Sec));
}

bool Time::IsInvalid() const { return Hour > 23 || Min > 59 || Sec > 59; }

void Time::Invalidate() {
  Hour = 24;
  Min = 0;
  Sec = 0;
}

char* Time::ToString(char* Buffer, unsigned Size, Formats Fmt) const {
  if (Buffer == nullptr || Size == 0) return Buffer;
  Buffer[0] = '\0';
  if (IsInvalid()) return Buffer;
  if (Fmt == DEFAULT) Fmt = DefaultFormat;
  switch (Fmt) {
    case HHMMSS:
      Format(Buffer, Size, "%02u%02u%02u", Hour, Min, Sec);
      break;
    case HHHMMM:
      Format(Buffer, Size, "%02u:%02u", Hour, Min);
      break;
    case HHMM:
      Format(Buffer, Size, "%02u%02u", Hour, Min);
      break;
    default:  // HHHMMMSSS and any unknown format
      Format(Buffer, Size, "%02u:%02u:%02u", Hour, Min, Sec);
      break;
  }
  return Buffer;
}

const char* Time::ToString(Formats Fmt) const {
  return ToString(Pool().GetBuf(TEXT_SIZE), TEXT_SIZE, Fmt);
}

bool Time::operator==(const Time& o) const {
  return Hour == o.Hour && Min == o.Min && Sec == o.Sec;
}

bool Time::operator<(const Time& o) const {
  if (Hour != o.Hour) return Hour < o.Hour;
  if (Min != o.Min) return Min < o.Min;
  return Sec < o.Sec;
}

// ---------------------------------------------------------------- Both

const char* ToString(const Date& date, const Time& time) {
  char d[TEXT_SIZE];
  char t[TEXT_SIZE];
  date.ToString(d, sizeof d);
  time.ToString(t, sizeof t);
  char* out = Pool().GetBuf(PAIR_SIZE);
  Format(out, PAIR_SIZE, "%s %s", d, t);
  return out;
}

}  // namespace VXB::Types
