#include "vxb/common/runtime/error.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "vxb/common/runtime/error_table.h"

namespace VXB::Error {
namespace {

class ErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Init();
    OK();
  }
};

TEST(ErrorBeforeInitTest, UnregisteredNumbersReadUnknownAndFreshThreadsAreClean) {
  // Runs on a thread of its own so that no earlier test's record leaks in.
  std::thread([] {
    const ErrInfo* e = GetLastError();
    EXPECT_EQ(e->Error, 0u);
    EXPECT_STREQ(e->Description, "");
    EXPECT_STREQ(e->Context, "");
  }).join();
  EXPECT_STREQ(ToString(123456), "unknown");
  EXPECT_STREQ(ToID(123456), "unknown");
  EXPECT_STREQ(GetApplicationByErrNo(99999), "Unknown");
}

TEST_F(ErrorTest, EveryBaseEntryReadsBackThroughAllLookups) {
  for (const ErrorTableRow& row : BASE_ERRORS) {
    SCOPED_TRACE(row.ID);
    ErrNo number = 0;
    ASSERT_TRUE(FromID(row.ID, number));
    EXPECT_EQ(number, row.Number);
    EXPECT_TRUE(IsErrNoInModule(row.Number, row.Module));
    EXPECT_STREQ(GetApplicationByErrNo(row.Number), "VXB");
    if (row.Number == SYSTEM_SERVICE_ERROR) continue;  // see below
    EXPECT_STREQ(ToID(row.Number), row.ID);
    EXPECT_STREQ(ToString(row.Number), row.Description);
    ASSERT_NE(GetAllErrors().find(row.Number), nullptr);
    EXPECT_EQ(*GetAllErrors().find(row.Number), row.Module);
  }
}

TEST_F(ErrorTest, NumberRegisteredInTwoModulesReadsAsTheLater) {
  EXPECT_STREQ(ToString(260), "Error de par\xA0metros");
  EXPECT_STREQ(ToID(260), "IO_PARAM_ERROR");
  ErrNo number = 0;
  EXPECT_TRUE(FromID("SYSTEM_SERVICE_ERROR", number));
  EXPECT_EQ(number, 260u);
  EXPECT_EQ(*GetAllErrors().find(260), IO);
  // SYSTEM still reaches 260; IO spans 250..512 and so covers SOCK's block.
  EXPECT_TRUE(IsErrNoInModule(260, SYSTEM));
  EXPECT_FALSE(IsErrNoInModule(261, SYSTEM));
  EXPECT_TRUE(IsErrNoInModule(505, IO));
  EXPECT_FALSE(IsErrNoInModule(513, IO));
  EXPECT_FALSE(IsErrNoInModule(0, 77));
}

TEST_F(ErrorTest, FromIdIgnoresCaseAndRejectsUnknownSymbols) {
  ErrNo number = 0;
  EXPECT_TRUE(FromID("io_read_error", number));
  EXPECT_EQ(number, IO_READ_ERROR);
  EXPECT_FALSE(FromID("NOBODY_REGISTERED_THIS", number));
  EXPECT_FALSE(FromID(nullptr, number));
}

TEST_F(ErrorTest, InitTwiceChangesNothing) {
  const std::size_t errors = GetAllErrors().size();
  Init();
  EXPECT_EQ(GetAllErrors().size(), errors);
  EXPECT_STREQ(ToString(0), "No hay error");
  EXPECT_STREQ(ToID(0), "NO_CURRENT_ERROR");
  EXPECT_STREQ(GetApplicationByErrNo(1502), "VXB");
}

TEST_F(ErrorTest, ApplicationsAreSearchedInOrderOfRegistration) {
  EXPECT_STREQ(GetApplicationByErrNo(20022), "Unknown");
  RegisterErrNo("TESTAPP", 200, 20022, "TESTAPP_ONE", "uno");
  RegisterErrNo("TESTAPP", 200, 20000, "TESTAPP_TWO", "dos");
  EXPECT_STREQ(GetApplicationByErrNo(20022), "TESTAPP");
  EXPECT_STREQ(GetApplicationByErrNo(20010), "TESTAPP");
  EXPECT_STREQ(ToString(20022), "uno");
  // Registering again in the same module replaces symbol and message.
  RegisterErrNo("TESTAPP", 200, 20022, "TESTAPP_ONE_AGAIN", "otra");
  EXPECT_STREQ(ToID(20022), "TESTAPP_ONE_AGAIN");
}

TEST_F(ErrorTest, SettersReturnTrueOnlyForNoError) {
  EXPECT_FALSE(SetWithContext(IO_OPEN_ERROR, nullptr));
  EXPECT_EQ(GetLastError()->Error, IO_OPEN_ERROR);
  EXPECT_STREQ(GetLastError()->Description, "Error de apertura");
  EXPECT_STREQ(GetLastError()->Context, "No context given.");

  EXPECT_TRUE(OK());
  EXPECT_EQ(GetLastError()->Error, 0u);
  EXPECT_STREQ(GetLastError()->Description, "No hay error");
  EXPECT_STREQ(GetLastError()->Context, "");

  EXPECT_FALSE(Set(ErrInfo(IO_READ_ERROR, "x")));
  EXPECT_TRUE(Set(ErrInfo(0, "y")));
  EXPECT_FALSE(ChangeErrNo(IO_WRITE_ERROR));
  EXPECT_TRUE(ChangeErrNo(0));
}

TEST_F(ErrorTest, UnregisteredNumberCanBeSet) {
  EXPECT_FALSE(SetWithContext(4242, "ctx %d", 7));
  EXPECT_STREQ(GetLastError()->Description, "unknown");
  EXPECT_STREQ(GetLastError()->Context, "ctx 7");
}

TEST_F(ErrorTest, LongContextIsCutTo255Characters) {
  const std::string long_text(300, 'z');
  SetWithContext(IO_READ_ERROR, "%s", long_text.c_str());
  EXPECT_EQ(std::string(GetLastError()->Context), std::string(255, 'z'));
  const ErrInfo info(IO_READ_ERROR, long_text.c_str());
  EXPECT_EQ(std::strlen(info.Context), 255u);
}

TEST_F(ErrorTest, AddingContextKeepsThePreviousContext) {
  SetWithContext(IO_OPEN_ERROR, "abc");
  EXPECT_FALSE(SetAddingContext(IO_READ_ERROR, "x=%d", 5));
  EXPECT_EQ(GetLastError()->Error, IO_READ_ERROR);
  EXPECT_STREQ(GetLastError()->Description, "Error de lectura");
  EXPECT_STREQ(GetLastError()->Context, "x=5 [abc]");

  // When both together are too long the old context is cut first.
  SetWithContext(IO_OPEN_ERROR, "%s", std::string(250, 'o').c_str());
  SetAddingContext(IO_READ_ERROR, "new");
  const std::string context = GetLastError()->Context;
  EXPECT_EQ(context.size(), 255u);
  EXPECT_EQ(context.substr(0, 5), "new [");
}

TEST_F(ErrorTest, ChangeErrNoKeepsContext) {
  SetWithContext(IO_READ_ERROR, "ctx");
  ChangeErrNo(IO_TIMEOUT_ERROR);
  EXPECT_EQ(GetLastError()->Error, IO_TIMEOUT_ERROR);
  EXPECT_STREQ(GetLastError()->Description, "Tiempo de espera agotado");
  EXPECT_STREQ(GetLastError()->Context, "ctx");
}

TEST_F(ErrorTest, PushPopRestoresInReverseOrder) {
  for (int i = 1; i <= 3; ++i) {
    SetWithContext(IO_READ_ERROR, "level %d", i);
    EXPECT_TRUE(Push());
  }
  SetWithContext(IO_WRITE_ERROR, "side work");
  for (int i = 3; i >= 1; --i) {
    Pop();
    EXPECT_EQ(GetLastError()->Error, IO_READ_ERROR);
    EXPECT_EQ(std::string(GetLastError()->Context), "level " + std::to_string(i));
  }
  Pop();  // nothing saved
  EXPECT_EQ(GetLastError()->Error, 0u);
  EXPECT_STREQ(GetLastError()->Description, "");
}

TEST_F(ErrorTest, OverflowingPushDoesNotCostOuterPairsTheirRecords) {
  // Eleven nested pairs: the eleventh Push finds the stack full and saves
  // nothing; its Pop must leave the ten saved records for their own Pops.
  for (int i = 1; i <= 11; ++i) {
    SetWithContext(IO_READ_ERROR, "record %d", i);
    EXPECT_EQ(Push(), i <= 10) << i;
  }
  SetWithContext(IO_WRITE_ERROR, "innermost work");
  Pop();  // matches the failed Push
  EXPECT_EQ(GetLastError()->Error, IO_WRITE_ERROR);
  for (int i = 10; i >= 1; --i) {
    Pop();
    EXPECT_EQ(std::string(GetLastError()->Context), "record " + std::to_string(i));
  }
  Pop();
  EXPECT_EQ(GetLastError()->Error, 0u);
  EXPECT_STREQ(GetLastError()->Description, "");
  // The stack is usable again afterwards.
  EXPECT_TRUE(Push());
  Pop();
}

TEST_F(ErrorTest, EachThreadHasItsOwnRecord) {
  SetWithContext(IO_OPEN_ERROR, "main");
  std::thread([] {
    EXPECT_EQ(GetLastError()->Error, 0u);
    SetWithContext(IO_READ_ERROR, "worker");
    EXPECT_TRUE(Push());
  }).join();
  EXPECT_EQ(GetLastError()->Error, IO_OPEN_ERROR);
  EXPECT_STREQ(GetLastError()->Context, "main");
}

TEST_F(ErrorTest, AbortLastErrorPrintsMessageAndContextAndExitsWithOne) {
  const std::string path = ::testing::TempDir() + "abort_output.txt";
  std::remove(path.c_str());
  EXPECT_EXIT(
      {
        if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::_Exit(3);
        SetWithContext(IO_OPEN_ERROR, "f.txt");
        AbortLastError();
      },
      ::testing::ExitedWithCode(1), "");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char text[64] = {};
  const std::size_t n = std::fread(text, 1, sizeof(text) - 1, f);
  std::fclose(f);
#if defined(_WIN32)
  // Text written to a Windows stream in text mode ends its lines with CR LF.
  EXPECT_EQ(std::string(text, n), "Error de apertura: f.txt\r\n");
#else
  EXPECT_EQ(std::string(text, n), "Error de apertura: f.txt\n");
#endif
}

}  // namespace
}  // namespace VXB::Error
