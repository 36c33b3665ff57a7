// The bridge's HTTP front end: the HTTP server with the one packet protocol
// that talks to the controller, the command pages "fiscal.json" and
// "fiscal.xml" (both accept both formats: the request's content type
// decides) and the index page that shows the log.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/command_page.h"
#include "app/front_end.h"
#include "vxb/common/http/http_server.h"
#include "vxb/common/http/httpd_ip_acl.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxp/answer_journal.h"
#include "vxp/command_core.h"
#include "vxp/journal_file.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vxp_debug_modules.h"

namespace Zorbel {

namespace {

class BridgeServer final : public VXB::HTTP::Server {
 public:
  BridgeServer(const char* Name, unsigned Port)
      : VXB::HTTP::Server(Port, true),
        Protocol(true),
        ProxyDebugger(VXP::Debug::ZORBEL, Name),
        Commands(this) {}

  ~BridgeServer() override {
    Stop();
    WaitStopped();
    if (Acl != nullptr) VXB::HTTP::httpdFreeAcl(Acl);
  }

  VXP::VardexPacketProtocol Protocol;
  std::unique_ptr<VXP::Zorbel::JournalFile> JournalStore;
  std::unique_ptr<VXP::Zorbel::AnswerJournal> Journal;

  // The answer journal: its files in Directory (none when empty), read back
  // into memory; an unanswered last packet is put in doubt. False with the
  // reason recorded when the directory cannot be written.
  bool OpenJournal(const std::string& Directory, std::uint32_t Size) {
    std::vector<std::string> records;
    if (!Directory.empty()) {
      JournalStore = std::make_unique<VXP::Zorbel::JournalFile>();
      if (!JournalStore->Open(Directory, Size, records)) {
        const VXB::Error::ErrInfo e = VXB::Error::GetCurrent();
        return VXB::Error::SetWithContext(e.Error, "No se puede escribir el diario en %s: %s",
                                          Directory.c_str(), e.Context);
      }
    }
    Journal = std::make_unique<VXP::Zorbel::AnswerJournal>(JournalStore.get());
    unsigned skipped = 0;
    Journal->Load(records, skipped);
    if (JournalStore)
      VXB::Log::Write(
          "Diario: %u registros le\xA1"
          "dos, %u ilegibles, %u archivos apartados",
          static_cast<unsigned>(records.size()), skipped,
          static_cast<unsigned>(JournalStore->Damaged().size()));
    VXP::Zorbel::RestoreDoubt(*Journal, Protocol);
    return true;
  }

  // Installs the client rules; false for a rule the engine refuses.
  bool SetAllowedClients(const std::vector<ClientRule>& Rules) {
    for (const ClientRule& r : Rules) {
      VXB::HTTP::httpAcl* head =
          VXB::HTTP::httpdAddAcl(Engine(), Acl, r.Block.c_str(),
                                 r.Allow ? VXB::HTTP::HTTP_ACL_PERMIT : VXB::HTTP::HTTP_ACL_DENY);
      if (head == nullptr)
        return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                          "Regla de AllowedClients inv\xA0lida: \"%s\"",
                                          r.Block.c_str());
      Acl = head;
    }
    if (Acl != nullptr) VXB::HTTP::httpdSetDefaultAcl(Engine(), Acl);
    return true;
  }

  bool AddPages() { return AddPage("fiscal.xml", &Commands) && AddPage("fiscal.json", &Commands); }

  // The protocol's halt stays set: a command is never sent after a stop,
  // even one whose request was read just before it.
  void Stop() override {
    Protocol.Halt();
    VXB::HTTP::Server::Stop();
  }

 protected:
  void Index() override {
    VXB::HTML::Writer& html = GetHTML();
    if (!html.Begin("Registro") || !html.BeginPreformattedText()) return;
    if (!JournalStatus(html)) return;
    unsigned size = CHUNK;
    bool any = false;
    bool more = VXB::Log::ReadFirst(LogBuffer, size);
    while (more && size > 0) {
      any = true;
      // The HTML writer escapes the text, so the log cannot inject markup.
      if (!html.Text("%.*s", static_cast<int>(size), reinterpret_cast<const char*>(LogBuffer)))
        return;
      size = CHUNK;
      more = VXB::Log::ReadNext(LogBuffer, size);
    }
    if (!any && !html.Text("No hay informaci\xA2n para mostrar")) return;
    html.EndPreformattedText();
    html.End();
  }

 private:
  // One line on the journal and the packet in doubt above the log.
  bool JournalStatus(VXB::HTML::Writer& html) {
    const VXP::DoubtStatus& d = Protocol.GetDoubtStatus();
    const bool failed = Journal && Journal->StoreFailed();
    return html.Text("Diario: %s; paquetes en duda resueltos %u, abandonados %u%s\n",
                     failed ? "FALLA DE ESCRITURA" : "en orden", d.Resolved, d.Abandoned,
                     d.InDoubt ? "; hay un paquete en duda" : "");
  }

  class CommandPage : public VXB::HTTP::PageFunctor {
   public:
    explicit CommandPage(BridgeServer* s) : server_(s) {}
    void PageHandler(const char* Page) override {
      server_->ProxyDebugger.SetID("%s", Page);
      VXP::Zorbel::ProcessCommand(server_, &server_->ProxyDebugger, &server_->Protocol,
                                  server_->Journal.get());
    }

   private:
    BridgeServer* server_;
  };

  static constexpr unsigned CHUNK = 256;

  VXB::Debug::Debugger ProxyDebugger;
  CommandPage Commands;
  VXB::HTTP::httpAcl* Acl = nullptr;
  VXB::Byte LogBuffer[CHUNK + 1] = {};
};

class HTTPFrontEnd final : public FrontEnd {
 public:
  HTTPFrontEnd(const ConfigParams& Config, const char* Name)
      : name_(Name != nullptr ? Name : "zorbel"),
        port_(Config.HTTPPort),
        allowed_(Config.AllowedClients),
        journal_directory_(Config.JournalDirectory),
        journal_size_(Config.JournalSize) {}
  ~HTTPFrontEnd() override {
    Stop();
    WaitStopped();
  }

  bool Start(VXB::Driver::Generic& Serial,
             VXP::CommunicationsProtocol::EventHandlerCallback Events) override {
    std::vector<ClientRule> rules;
    if (!ParseAllowedClients(allowed_, rules)) return false;
    if (port_ > 65535)
      return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                        "El puerto HTTP %u no es v\xA0lido",
                                        static_cast<unsigned>(port_));
    auto server = std::make_unique<BridgeServer>(name_.c_str(), static_cast<unsigned>(port_));
    if (!server->IsOK()) {
      const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
      if (e == nullptr || e->Error == VXB::Error::NO_CURRENT_ERROR)
        VXB::Error::SetWithContext(VXB::Error::SYSTEM_DRIVER_ERROR,
                                   "No se pudo abrir el puerto HTTP %u",
                                   static_cast<unsigned>(port_));
      return false;
    }
    // The protocol has its line and its events before any request comes.
    if (!server->Protocol.SetDriver(&Serial)) return false;
    server->Protocol.SetEventHandler(Events);
    if (!server->OpenJournal(journal_directory_, journal_size_)) return false;
    if (!rules.empty() && !server->SetAllowedClients(rules)) return false;
    if (!server->AddPages()) return false;
    if (!server->Run())
      return VXB::Error::SetWithContext(VXB::Error::SYSTEM_DRIVER_ERROR,
                                        "No se pudo iniciar el servidor HTTP");
    server_ = std::move(server);
    return true;
  }

  void Stop() override {
    if (server_) server_->Stop();
  }

  unsigned Port() const override { return server_ ? server_->GetPort() : 0; }

  // Ends the serving thread and closes the listening socket.
  void WaitStopped() override {
    if (!server_) return;
    server_->WaitStopped();
    server_.reset();
  }

 private:
  std::string name_;
  std::uint32_t port_;
  std::string allowed_;
  std::string journal_directory_;
  std::uint32_t journal_size_;
  std::unique_ptr<BridgeServer> server_;
};

}  // namespace

std::unique_ptr<FrontEnd> MakeHTTPFrontEnd(const ConfigParams& Config, const char* Name) {
  return std::make_unique<HTTPFrontEnd>(Config, Name);
}

}  // namespace Zorbel
