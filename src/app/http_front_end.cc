// The bridge's HTTP front end: the HTTP server with the one packet protocol
// that talks to the controller, the command pages "fiscal.json" and
// "fiscal.xml" (both accept both formats: the request's content type
// decides), the status pages, and the index page (app/dashboard.h).
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/bridge_status.h"
#include "app/command_page.h"
#include "app/dashboard.h"
#include "app/front_end.h"
#include "vxb/common/http/http_server.h"
#include "vxb/common/http/httpd_ip_acl.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxp/answer_journal.h"
#include "vxp/argentina/catalogo_rg3561.h"
#include "vxp/command_core.h"
#include "vxp/command_reference.h"
#include "vxp/journal_file.h"
#include "vxp/vardex_packet_protocol.h"
#include "vxp/vxp_debug_modules.h"

namespace Zorbel {

namespace {

class BridgeServer final : public VXB::HTTP::Server {
 public:
  BridgeServer(const char* Name, unsigned Port, BridgeSettings Settings)
      : VXB::HTTP::Server(Port, true),
        Protocol(true),
        Status(std::move(Settings)),
        ProxyDebugger(VXP::Debug::ZORBEL, Name),
        Commands(this),
        Reference(this),
        Operations(this) {}

  ~BridgeServer() override {
    Stop();
    WaitStopped();
    if (Acl != nullptr) VXB::HTTP::httpdFreeAcl(Acl);
  }

  VXP::VardexPacketProtocol Protocol;
  BridgeStatus Status;
  VXB::Driver::Generic* Serial = nullptr;  // the controller's line, for its open state
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

  // Who may address the server and which web origins may use it; "*"
  // lets every web page print and is said so in the log.
  void SetGate(const ConfigParams& Config) {
    VXB::HTTP::httpGate& gate = Engine()->gate;
    gate.allowedHosts = SplitList(Config.AllowedHosts);
    const std::vector<std::string> origins = SplitList(Config.AllowedOrigins);
    gate.corsEnabled = !origins.empty();
    gate.anyOrigin = origins.size() == 1 && origins[0] == "*";
    if (gate.anyOrigin) {
      VXB::Log::Write(
          "Advertencia: AllowedOrigins es \"*\": cualquier p\xA0gina web puede enviar comandos");
    } else {
      gate.allowedOrigins = origins;
    }
    gate.allowHeaders = "Content-Type, Idempotency-Key";
    gate.exposeHeaders = "Zorbel-Replayed";
  }

  bool AddPages() {
    return AddPage("fiscal.xml", &Commands) && AddPage("fiscal.json", &Commands) &&
           AddPage("commands", &Reference) && AddPage("schema.json", &Reference) &&
           AddPage("status.json", &Operations) && AddPage("metrics", &Operations);
  }

  // The protocol's halt stays set: a command is never sent after a stop,
  // even one whose request was read just before it.
  void Stop() override {
    Protocol.Halt();
    VXB::HTTP::Server::Stop();
  }

 protected:
  // The controller's answers not yet on the disk go there when the bridge
  // falls idle, so that a power cut finds them there unless it comes
  // within half a second of the command (until then a lost one is settled
  // with the controller at restart, see AnswerJournal::Finish).
  void Idle() override {
    if (Journal) Journal->Flush();
  }

  void Index() override {
    DashboardData data;
    data.Live = Live();
    data.Seen = Status.Last();
    if (Journal) data.Recent = Journal->Recent(DASHBOARD_COMMANDS);
    WriteDashboard(GetHTML(), data);
  }

 private:
  // What the running parts tell now, for the status pages.
  LiveState Live() {
    LiveState l;
    l.SerialOpen = Serial != nullptr && Serial->OK();
    l.Retries = Protocol.GetRetryCounts();
    l.Doubt = Protocol.GetDoubtStatus();
    if (Journal) {
      l.Replays = Journal->CountReplays();
      l.JournalWriteFailed = Journal->StoreFailed();
    }
    l.Refused = GetRefusals();
    return l;
  }

  class CommandPage : public VXB::HTTP::PageFunctor {
   public:
    explicit CommandPage(BridgeServer* s) : server_(s) {}
    void PageHandler(const char* Page) override {
      server_->ProxyDebugger.SetID("%s", Page);
      const auto start = std::chrono::steady_clock::now();
      VXP::Zorbel::CommandAnswer answer;
      VXP::Zorbel::ProcessCommand(server_, &server_->ProxyDebugger, &server_->Protocol,
                                  server_->Journal.get(), answer);
      server_->RecordCommand(answer, std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now() - start));
    }

   private:
    BridgeServer* server_;
  };

  // The command reference and its JSON Schema, made from the catalogue;
  // neither ever talks to the controller.
  class ReferencePage : public VXB::HTTP::PageFunctor {
   public:
    explicit ReferencePage(BridgeServer* s) : server_(s) {}
    void PageHandler(const char* Page) override {
      if (std::string_view(Page) == "schema.json") {
        server_->SendAnswer(200, VXB::MIME::JSON, VXB::ASCII::UTF8, VXP::Reference::JsonSchema());
        return;
      }
      VXP::Reference::WriteReferencePage(server_->GetHTML());
    }

   private:
    BridgeServer* server_;
  };

  // /status.json and /metrics: what the command page recorded; neither
  // talks to the controller.
  class OperationsPage : public VXB::HTTP::PageFunctor {
   public:
    explicit OperationsPage(BridgeServer* s) : server_(s) {}
    void PageHandler(const char* Page) override {
      const LiveState live = server_->Live();
      if (std::string_view(Page) == "status.json")
        server_->SendAnswer(200, VXB::MIME::JSON, VXB::ASCII::UTF8,
                            server_->Status.StatusJson(live));
      else
        server_->SendAnswer(200, VXB::MIME::ASCII, VXB::ASCII::UTF8, server_->Status.Metrics(live));
    }

   private:
    BridgeServer* server_;
  };

  void RecordCommand(const VXP::Zorbel::CommandAnswer& Answer, std::chrono::microseconds Took) {
    CommandOutcome o;
    const auto* command = VXP::Argentina::RG3561::FindCommand(
        static_cast<VXP::Argentina::RG3561::Comandos>(Answer.Command.GetCommand()));
    if (command != nullptr) o.Command = command->Name;
    o.Reached = Answer.Sent;
    o.Busy = Answer.Sent && Protocol.IsBusy();
    o.HasStatus = Answer.Sent && Answer.Error.Error == VXB::Error::NO_CURRENT_ERROR;
    o.Printer = Protocol.GetPrinterStatusWord();
    o.Fiscal = Protocol.GetFiscalStatusWord();
    if (Answer.Error.Error != VXB::Error::NO_CURRENT_ERROR)
      o.Error = VXB::Error::ToID(Answer.Error.Error);
    o.Duration = Took;
    Status.Record(o);
  }

  VXB::Debug::Debugger ProxyDebugger;
  CommandPage Commands;
  ReferencePage Reference;
  OperationsPage Operations;
  VXB::HTTP::httpAcl* Acl = nullptr;
};

class HTTPFrontEnd final : public FrontEnd {
 public:
  HTTPFrontEnd(const ConfigParams& Config, const char* Name)
      : name_(Name != nullptr ? Name : "zorbel"),
        port_(Config.HTTPPort),
        allowed_(Config.AllowedClients),
        config_(Config),
        settings_{ZORBEL_VERSION, static_cast<unsigned>(Config.HTTPPort), Config.SerialPortName,
                  static_cast<unsigned>(Config.IntendedBauds)},
        journal_directory_(Config.JournalDirectory),
        journal_size_(Config.JournalSize) {}
  ~HTTPFrontEnd() override {
    Stop();
    WaitStopped();
  }

  bool Start(VXB::Driver::Generic& Serial,
             VXP::CommunicationsProtocol::EventHandlerCallback Events) override {
    std::vector<ClientRule> rules;
    if (!ParseAllowedClients(allowed_, rules) || !CheckHostsAndOrigins(config_)) return false;
    if (port_ > 65535)
      return VXB::Error::SetWithContext(VXB::Error::IO_PARAM_ERROR,
                                        "El puerto HTTP %u no es v\xA0lido",
                                        static_cast<unsigned>(port_));
    auto server =
        std::make_unique<BridgeServer>(name_.c_str(), static_cast<unsigned>(port_), settings_);
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
    server->Serial = &Serial;
    server->Protocol.SetEventHandler(Events);
    if (!server->OpenJournal(journal_directory_, journal_size_)) return false;
    if (!rules.empty() && !server->SetAllowedClients(rules)) return false;
    server->SetGate(config_);
    server->SetMaxConnections(config_.MaxConnections);
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
  ConfigParams config_;
  BridgeSettings settings_;
  std::string journal_directory_;
  std::uint32_t journal_size_;
  std::unique_ptr<BridgeServer> server_;
};

}  // namespace

std::unique_ptr<FrontEnd> MakeHTTPFrontEnd(const ConfigParams& Config, const char* Name) {
  return std::make_unique<HTTPFrontEnd>(Config, Name);
}

}  // namespace Zorbel
