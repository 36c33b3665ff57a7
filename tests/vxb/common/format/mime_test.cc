#include "vxb/common/format/mime.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace VXB::MIME {
namespace {

TEST(Mime, TextsAndExtensions) {
  EXPECT_EQ(FromString("TEXT/XML"), XML);
  EXPECT_EQ(FromString("application/xml"), UNKNOWN);
  EXPECT_EQ(FromString("text/plain"), ASCII);
  EXPECT_EQ(FromString("application/json"), JSON);
  EXPECT_EQ(FromString(" application/json"), UNKNOWN);
  EXPECT_EQ(FromString(nullptr), UNKNOWN);
  EXPECT_STREQ(ToString(UNKNOWN), "unknown");
  EXPECT_STREQ(ToString(static_cast<Types>(99)), "unknown");
  EXPECT_EQ(FromExtension("JPG"), JPG);
  EXPECT_EQ(FromExtension("png"), UNKNOWN);
  EXPECT_EQ(FromExtension(".jpg"), UNKNOWN);
  // Every type's text reads back as the type.
  for (const Representation& r : Representations) {
    EXPECT_EQ(FromString(ToString(r.Type)), r.Type) << r.String;
  }
}

TEST(Mime, LookupsFromManyThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      Init();
      for (int i = 0; i < 1000; ++i) wrong[t] += FromString("application/json") != JSON;
    });
  }
  for (auto& th : threads) th.join();
  for (int w : wrong) EXPECT_EQ(w, 0);
}

}  // namespace
}  // namespace VXB::MIME
