#include "vxb/common/base/datetime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

using VXB::Types::Date;
using VXB::Types::Time;

struct DateCase {
  unsigned year, month, day;
  bool valid;
};

TEST(DateTest, Validity) {
  const DateCase cases[] = {
      {2000, 2, 29, true},   // divisible by 400
      {2016, 2, 29, true},   // divisible by 4
      {2100, 2, 29, false},  // divisible by 100, not by 400
      {1900, 2, 29, false},  // the same, at the lower bound
      {2015, 2, 29, false},  {2015, 2, 28, true}, {1900, 1, 1, true},  {1899, 12, 31, false},
      {2100, 12, 31, true},  {2101, 1, 1, false}, {2016, 0, 1, false}, {2016, 13, 1, false},
      {2016, 4, 31, false},  {2016, 4, 30, true}, {2016, 1, 0, false}, {2016, 12, 31, true},
      {2016, 12, 32, false},
  };
  for (const DateCase& c : cases) {
    const Date d(c.year, c.month, c.day);
    EXPECT_EQ(d.IsInvalid(), !c.valid) << c.year << "-" << c.month << "-" << c.day;
  }
}

TEST(DateTest, MonthDaysAndLeapYears) {
  EXPECT_TRUE(Date::IsLeapYear(2000));
  EXPECT_TRUE(Date::IsLeapYear(2016));
  EXPECT_FALSE(Date::IsLeapYear(2100));
  EXPECT_FALSE(Date::IsLeapYear(2015));
  const unsigned days2016[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (unsigned m = 1; m <= 12; ++m) EXPECT_EQ(Date::GetMonthDays(2016, m), days2016[m]) << m;
  EXPECT_EQ(Date::GetMonthDays(2015, 2), 28u);
  EXPECT_EQ(Date::GetMonthDays(2016, 0), 0u);
  EXPECT_EQ(Date::GetMonthDays(2016, 13), 0u);
}

TEST(DateTest, ConstructionAndInvalidate) {
  const Date zero;
  EXPECT_EQ(zero.Year, 0u);
  EXPECT_TRUE(zero.IsInvalid());

  const Date short_year(16, 9, 9);  // a two-digit year counts from 2000
  EXPECT_EQ(short_year, Date(2016, 9, 9));

  Date d(2016, 9, 9);
  d.Invalidate();
  EXPECT_EQ(d.Year, 0u);
  EXPECT_EQ(d.Mon, 0u);
  EXPECT_EQ(d.Day, 0u);

  Time t(13, 42, 57);
  t.Invalidate();
  EXPECT_EQ(t.Hour, 24u);
  EXPECT_EQ(t.Min, 0u);
  EXPECT_EQ(t.Sec, 0u);
  EXPECT_TRUE(t.IsInvalid());
}

TEST(DateTest, NamedConstants) {
  EXPECT_TRUE(VXB::Types::INVALID_DATE.IsInvalid());
  EXPECT_TRUE(VXB::Types::INVALID_TIME.IsInvalid());
  EXPECT_EQ(VXB::Types::DEFAULT_DATE, Date(2012, 1, 1));
  EXPECT_EQ(VXB::Types::DEFAULT_TIME, Time(12, 0, 0));
  EXPECT_STREQ(VXB::Types::MonthNames[1], "Enero");
  EXPECT_STREQ(VXB::Types::MonthNames[9], "Septiembre");
  EXPECT_STREQ(VXB::Types::MonthNames[12], "Diciembre");
}

TEST(DateTest, CompactNumbers) {
  EXPECT_EQ(Date(2016, 9, 9).GetBinaryRepresentation(), 1160909u);
  EXPECT_EQ(Date(1999, 12, 31).GetBinaryRepresentation(), 991231u);
  EXPECT_EQ(Date(1900, 1, 1).GetBinaryRepresentation(), 101u);
  EXPECT_EQ(Date(2100, 12, 31).GetBinaryRepresentation(), 2001231u);
  EXPECT_EQ(Date(2016, 2, 30).GetBinaryRepresentation(), 0u);  // invalid
  EXPECT_EQ(Time(13, 42, 57).GetBinaryRepresentation(), 134257u);
  EXPECT_EQ(Time(0, 0, 7).GetBinaryRepresentation(), 7u);
}

TEST(DateTest, CompactRoundTrips) {
  const Date dates[] = {{1999, 12, 31}, {2000, 2, 29}, {2016, 9, 9}, {1900, 1, 1}, {2100, 12, 31}};
  for (const Date& d : dates) {
    const Date back(d.GetBinaryRepresentation());
    EXPECT_EQ(back, d) << d.Year;
  }
  const Time times[] = {{0, 0, 0}, {13, 42, 57}, {23, 59, 59}, {9, 5, 1}};
  for (const Time& t : times) {
    const Time back(t.GetBinaryRepresentation());
    EXPECT_EQ(back, t) << t.Hour;
  }
}

TEST(DateTest, CompactOutOfRange) {
  EXPECT_TRUE(Date(std::uint32_t{0}).IsInvalid());
  // 8 digits: years from 2900 on do not fit the compact form.
  EXPECT_TRUE(Date(std::uint32_t{10000101}).IsInvalid());
  EXPECT_TRUE(Date(Date(2900, 1, 1).GetBinaryRepresentation()).IsInvalid());
  // Seven digits but no real date.
  EXPECT_TRUE(Date(std::uint32_t{1161332}).IsInvalid());
  // Times: more than six digits, or fields out of range.
  EXPECT_TRUE(Time(std::uint32_t{1000000}).IsInvalid());
  EXPECT_TRUE(Time(std::uint32_t{246060}).IsInvalid());
  EXPECT_TRUE(Time(std::uint32_t{236000}).IsInvalid());
}

TEST(DateTest, EveryDateFormat) {
  const Date d(2016, 9, 9);
  const struct {
    Date::Formats format;
    const char* text;
  } cases[] = {
      {Date::DEFAULT, "Septiembre 9, 2016"},
      {Date::YYMMDD, "160909"},
      {Date::YYYYMMDD, "20160909"},
      {Date::MMMDDYYYY, "Septiembre 9, 2016"},
      {Date::DDMMMYYYY, "9 Septiembre, 2016"},
      {Date::DDMMYY, "09/09/16"},
      {Date::DDDMMMYYY, "090916"},
      {Date::DDMMYYYY, "09/09/2016"},
      {Date::DD_MM_YYYY, "09-09-2016"},
      {Date::MMDDYY, "09/09/16"},
      {Date::MMDDYYYY, "09/09/2016"},
      {Date::YYYYMMMDD, "2016, Septiembre 9"},
      {Date::YYYYMMM, "2016, Septiembre"},
      {Date::YYYY_MM_DD, "2016-09-09"},
      {static_cast<Date::Formats>(14), ""},
  };
  for (const auto& c : cases) {
    char buffer[64];
    EXPECT_STREQ(d.ToString(buffer, sizeof buffer, c.format), c.text) << c.format;
    EXPECT_STREQ(d.ToString(c.format), c.text) << c.format;
  }
}

TEST(DateTest, TwoDigitYearAcrossCenturies) {
  EXPECT_STREQ(Date(1999, 12, 31).ToString(Date::DDMMYY), "31/12/99");
  EXPECT_STREQ(Date(1905, 3, 4).ToString(Date::YYMMDD), "050304");
  EXPECT_STREQ(Date(2000, 1, 2).ToString(Date::MMDDYY), "01/02/00");
  EXPECT_STREQ(Date(2026, 12, 8).ToString(Date::DDMMYY), "08/12/26");
}

TEST(DateTest, EveryTimeFormat) {
  const Time t(13, 42, 57);
  const struct {
    Time::Formats format;
    const char* text;
  } cases[] = {
      {Time::DEFAULT, "13:42:57"}, {Time::HHHMMMSSS, "13:42:57"},
      {Time::HHMMSS, "134257"},    {Time::HHHMMM, "13:42"},
      {Time::HHMM, "1342"},        {static_cast<Time::Formats>(9), "13:42:57"},
  };
  for (const auto& c : cases) {
    char buffer[64];
    EXPECT_STREQ(t.ToString(buffer, sizeof buffer, c.format), c.text) << c.format;
    EXPECT_STREQ(t.ToString(c.format), c.text) << c.format;
  }
  EXPECT_STREQ(Time(7, 5, 3).ToString(), "07:05:03");
}

TEST(DateTest, InvalidValuesGiveEmptyText) {
  char buffer[16] = "junk";
  EXPECT_STREQ(Date(2016, 2, 30).ToString(buffer, sizeof buffer), "");
  EXPECT_STREQ(Date().ToString(Date::YYYY_MM_DD), "");
  EXPECT_STREQ(VXB::Types::INVALID_TIME.ToString(), "");
  EXPECT_STREQ(Time(12, 60, 0).ToString(Time::HHMM), "");
}

TEST(DateTest, TextIsCutToTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  Date(2016, 9, 9).ToString(buffer, 5, Date::MMMDDYYYY);
  EXPECT_STREQ(buffer, "Sept");
  EXPECT_EQ(buffer[5], 'x');  // nothing written past the given size
  Time(13, 42, 57).ToString(buffer, 3, Time::HHHMMMSSS);
  EXPECT_STREQ(buffer, "13");
  EXPECT_EQ(Date(2016, 9, 9).ToString(nullptr, 10), nullptr);
}

TEST(DateTest, DateAndTimeText) {
  EXPECT_STREQ(VXB::Types::ToString(Date(2016, 9, 9), Time(13, 42, 57)),
               "Septiembre 9, 2016 13:42:57");
  EXPECT_STREQ(VXB::Types::ToString(Date(), Time(13, 42, 57)), " 13:42:57");
}

TEST(DateTest, RotatingTextsStayValidForSeveralCalls) {
  const char* a = Date(2016, 9, 9).ToString(Date::YYYY_MM_DD);
  const char* b = Date(2017, 10, 11).ToString(Date::YYYY_MM_DD);
  const char* c = Time(1, 2, 3).ToString();
  EXPECT_STREQ(a, "2016-09-09");
  EXPECT_STREQ(b, "2017-10-11");
  EXPECT_STREQ(c, "01:02:03");
}

TEST(DateTest, RotatingTextsArePerThread) {
  const char* mine = Date(2016, 9, 9).ToString(Date::YYYY_MM_DD);
  std::string other;
  std::thread t([&other] {
    for (int i = 0; i < 100; ++i) other = Date(1999, 12, 31).ToString(Date::YYYY_MM_DD);
  });
  t.join();
  EXPECT_EQ(other, "1999-12-31");
  EXPECT_STREQ(mine, "2016-09-09");
}

TEST(DateTest, Ordering) {
  EXPECT_LT(Date(2016, 9, 9), Date(2016, 9, 10));
  EXPECT_LT(Date(2016, 9, 30), Date(2016, 10, 1));
  EXPECT_LT(Date(2015, 12, 31), Date(2016, 1, 1));
  EXPECT_GE(Date(2016, 9, 9), Date(2016, 9, 9));
  EXPECT_NE(Date(2016, 9, 9), Date(2016, 9, 8));
  EXPECT_LT(Time(13, 42, 57), Time(13, 42, 58));
  EXPECT_LT(Time(13, 42, 59), Time(13, 43, 0));
  EXPECT_GT(Time(14, 0, 0), Time(13, 59, 59));
  EXPECT_LE(Time(1, 2, 3), Time(1, 2, 3));
}

}  // namespace
