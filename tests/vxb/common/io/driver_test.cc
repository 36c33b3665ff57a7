#include "vxb/common/io/driver.h"

#include <gtest/gtest.h>

#include <string>

#include "vxb/common/runtime/error.h"

namespace VXB::Driver {
namespace {

// A driver with only the three required operations: writes go to a string,
// reads come from another.
class StringDriver : public Generic {
 public:
  StringDriver() : Generic("StringDriver") {}

  bool OK() const override { return true; }

  std::string written;
  std::string input;
  unsigned last_write_timeout = 0;
  unsigned write_limit = 0xFFFFFFFFu;  // bytes accepted per call

 protected:
  unsigned WriteBufferImplementation(const Byte* buf, unsigned size, unsigned Timeout) override {
    last_write_timeout = Timeout;
    const unsigned n = size < write_limit ? size : write_limit;
    written.append(reinterpret_cast<const char*>(buf), n);
    return n;
  }
  unsigned ReadBufferImplementation(Byte* buf, unsigned size, unsigned /*Timeout*/) override {
    const unsigned n = static_cast<unsigned>(input.size()) < size ? input.size() : size;
    input.copy(reinterpret_cast<char*>(buf), n);
    input.erase(0, n);
    if (n < size) Error::SetWithContext(Error::IO_TIMEOUT_ERROR, "StringDriver");
    return n;
  }
};

void ExpectError(Error::ErrNo number, const char* context) {
  EXPECT_EQ(Error::GetLastError()->Error, number);
  EXPECT_STREQ(Error::GetLastError()->Context, context);
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Error::Init();
    Error::OK();
  }
  StringDriver d;
};

TEST_F(DriverTest, NameAndSwitch) {
  EXPECT_STREQ(d.ToString(), "StringDriver");
  EXPECT_TRUE(d.IsEnabled());
  d.Disable();
  EXPECT_FALSE(d.IsEnabled());
  d.Enable(true);
  EXPECT_TRUE(d.IsEnabled());
  d.Enable(false);
  EXPECT_FALSE(d.IsEnabled());
  d.Enable();
  EXPECT_TRUE(d.IsEnabled());
}

TEST_F(DriverTest, DisabledSwallowsWritesAndFailsReads) {
  d.input = "data";
  d.Disable();
  const Byte ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(d.WriteBuffer(ten, 10, 100), 10u);
  EXPECT_TRUE(d.WriteByte(7, 100));
  EXPECT_TRUE(d.WriteString("abc", 100));
  EXPECT_EQ(d.written, "");
  ExpectError(Error::NO_CURRENT_ERROR, "");

  Byte b = 0;
  EXPECT_FALSE(d.ReadByte(b, 100));
  ExpectError(Error::IO_DISABLED, "ReadByte");
  Byte buf[4];
  EXPECT_EQ(d.ReadBuffer(buf, 4, 100), 0u);
  ExpectError(Error::IO_DISABLED, "ReadBuffer");
  char text[8];
  EXPECT_FALSE(d.ReadString(text, sizeof(text)));
  ExpectError(Error::IO_DISABLED, "ReadString");
  Error::OK();
  EXPECT_EQ(d.Peek(), 0u);
  ExpectError(Error::NO_CURRENT_ERROR, "");
  EXPECT_EQ(d.input, "data");

  d.Enable();
  EXPECT_TRUE(d.ReadByte(b, 100));
  EXPECT_EQ(b, 'd');
  EXPECT_EQ(d.WriteBuffer(ten, 10, 100), 10u);
  EXPECT_EQ(d.written.size(), 10u);
}

TEST_F(DriverTest, BytesAndStringsGoThroughBufferOperations) {
  EXPECT_TRUE(d.WriteByte('x', 5));
  EXPECT_EQ(d.last_write_timeout, 5u);
  EXPECT_TRUE(d.WriteString("abc", 5));
  EXPECT_EQ(d.last_write_timeout, Constants::WAIT_FOREVER);  // whatever Timeout says
  EXPECT_TRUE(d.WriteString("", 5));
  EXPECT_TRUE(d.WriteString(nullptr, 5));
  EXPECT_EQ(d.written, "xabc");

  d.input = "q";
  Byte b = 0;
  EXPECT_TRUE(d.ReadByte(b, 10));
  EXPECT_EQ(b, 'q');
  EXPECT_FALSE(d.ReadByte(b, 10));
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_TIMEOUT_ERROR);
}

TEST_F(DriverTest, ShortWritesFail) {
  d.write_limit = 2;
  EXPECT_FALSE(d.WriteString("abc", 0));
  d.write_limit = 0;
  EXPECT_FALSE(d.WriteByte('z', 0));
}

TEST_F(DriverTest, BaseOperationsAreNotImplemented) {
  EXPECT_FALSE(d.Abort());
  ExpectError(Error::IO_NOT_IMPLEMENTED, "Abort");
  Error::OK();
  char text[8];
  EXPECT_FALSE(d.ReadString(text, sizeof(text)));
  ExpectError(Error::IO_NOT_IMPLEMENTED, "ReadString");
  Error::OK();
  EXPECT_EQ(d.Peek(), 0u);
  ExpectError(Error::IO_NOT_IMPLEMENTED, "ReadString");
}

TEST_F(DriverTest, NullBuffersAreRefused) {
  EXPECT_EQ(d.WriteBuffer(nullptr, 3, 0), 0u);
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_PARAM_ERROR);
  EXPECT_EQ(d.ReadBuffer(nullptr, 3, 0), 0u);
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_PARAM_ERROR);
  EXPECT_FALSE(d.ReadString(nullptr, 3));
  EXPECT_EQ(Error::GetLastError()->Error, Error::IO_PARAM_ERROR);
  EXPECT_EQ(d.WriteBuffer(nullptr, 0, 0), 0u);
  EXPECT_EQ(d.written, "");
}

}  // namespace
}  // namespace VXB::Driver
