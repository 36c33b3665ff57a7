// A real browser against the bridge: headless Chromium loads a page from a
// listed origin and one from an unlisted one (two loopback servers of the
// test's own), each of which sends a status query with fetch. The listed
// page reads the answer; the unlisted page's fetch fails at its preflight
// and the controller sees nothing. Skipped when no Chromium is installed
// (scripts/install-deps.sh installs Debian's "chromium").
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/bridge_rig.h"
#include "testing/scratch_dir.h"
#include "vxb/common/http/http_server.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"

namespace Zorbel {
namespace {

using EndToEnd::BridgeRig;

// A server with one page.
class OriginServer : public VXB::HTTP::Server {
 public:
  OriginServer() : Server(0, true) {}
  ~OriginServer() override {
    Stop();
    WaitStopped();
  }
  void Index() override { Print("origin"); }
};

// The page: a status query to the bridge by fetch, its outcome written into
// the document for --dump-dom.
std::string Page(unsigned BridgePort) {
  return R"(<!DOCTYPE html><html><body><pre id="r">waiting</pre><script>
fetch("http://127.0.0.1:)" +
         std::to_string(BridgePort) + R"(/fiscal.json", {method: "POST",
  headers: {"Content-Type": "application/json"},
  body: JSON.stringify({ConsultarEstado: {CodigoComprobante: "Tique", Secuencia: "7"}})})
  .then(a => a.json())
  .then(d => { document.getElementById("r").textContent = "OK " + JSON.stringify(d); })
  .catch(e => { document.getElementById("r").textContent = "FAILED " + e.name; });
</script></body></html>
)";
}

std::string Chromium() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (std::filesystem::exists(path)) return path;
  }
  return "";
}

// The document after the page's script has run.
std::string Load(const std::string& Browser, const std::filesystem::path& Profile,
                 const std::string& Url) {
  const std::string command = Browser +
                              " --headless --no-sandbox --disable-gpu --no-first-run"
                              " --user-data-dir=" +
                              Profile.string() + " --virtual-time-budget=10000 --dump-dom '" + Url +
                              "' 2>/dev/null";
  std::string dom;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return dom;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) dom.append(buffer, n);
  pclose(pipe);
  return dom;
}

TEST(BrowserOrigins, ListedPagePrintsUnlistedPageIsRefused) {
  const std::string browser = Chromium();
  if (browser.empty()) GTEST_SKIP() << "no Chromium installed";
  VXB::Error::Init();
  VXP::Error::Init();
  OriginServer listed;
  OriginServer other;
  ASSERT_TRUE(listed.IsOK() && other.IsOK());
  BridgeRig rig;
  ConfigParams config;
  config.AllowedOrigins = "http://127.0.0.1:" + std::to_string(listed.GetPort());
  ASSERT_EQ(rig.Start({}, config), "");
  const std::string page = Page(rig.Port());
  ASSERT_TRUE(listed.AddStaticPage("page.html", page.c_str()));
  ASSERT_TRUE(other.AddStaticPage("page.html", page.c_str()));
  ASSERT_TRUE(listed.Run() && other.Run());
  const std::filesystem::path profile = Testing::MakeScratchDir("chromium");

  const std::string refused = Load(
      browser, profile / "a", "http://127.0.0.1:" + std::to_string(other.GetPort()) + "/page.html");
  EXPECT_NE(refused.find("FAILED TypeError"), std::string::npos) << refused;
  EXPECT_EQ(rig.Emulator().GetStats().BytesReceived.load(), 0u);

  const std::string served =
      Load(browser, profile / "b",
           "http://127.0.0.1:" + std::to_string(listed.GetPort()) + "/page.html");
  EXPECT_NE(served.find("OK {\"ConsultarEstado\":{\"Secuencia\":\"7\",\"Estado\""),
            std::string::npos)
      << served;
  rig.Stop();
  EXPECT_EQ(rig.Emulator().GetStats().Executed.load(), 1u);
  std::filesystem::remove_all(profile);
}

}  // namespace
}  // namespace Zorbel
