// Debug module registry, module switches, the current transport and the
// Debugger channels.
#include "vxb/common/runtime/debug.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "vxb/common/base/ascii.h"
#include "vxb/common/base/containers.h"
#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/log.h"
#include "vxb/common/runtime/system.h"
#include "vxb/common/runtime/thread_state.h"

namespace VXB::Debug {

namespace {

// ---------------------------------------------------------------------------
// Module registry. Filled at start-up; ToString and GetDescription may add
// default entries later from any thread, so a small leaf lock guards it
// (never held while calling anything else).

struct Registry {
  std::mutex lock;
  Map<Modules, ModuleInfo> modules;
};

Registry& GetRegistry() {
  static NoDestructor<Registry> registry;
  return *registry;
}

// The entry of a valid module number, created with the default texts when
// missing. Numbers from MAX_MODULE_ID up are never entered, so the registry
// never holds more numbers than FillModules has room for.
ModuleInfo LookUp(Modules Module) {
  if (Module >= MAX_MODULE_ID) return ModuleInfo{};
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.modules[Module];
}

// ---------------------------------------------------------------------------
// Switches and the current transport.

std::atomic<bool> g_modules[MAX_MODULE_ID] = {};
std::atomic<Transport*> g_transport{nullptr};

// Created on first use and never destroyed, so that threads printing while
// the process ends still find it.
Mutex& TransportLock() {
  static NoDestructor<Mutex> lock("VXB::Debug::Control");
  return *lock;
}

// How often the calling thread holds the transport lock.
thread_local unsigned t_transport_depth = 0;
// True while the calling thread is inside a transport's Send. A line printed
// from there (a callback that prints, a file call that reports) would
// overwrite the line being sent and could recurse without end: it is dropped.
thread_local bool t_in_transport = false;

// ---------------------------------------------------------------------------
// Per-thread line state: formatting needs no lock and no allocation.

struct PerThreadData {
  Packet pack;
  char Buffer[LINE_BUFFER_SIZE];
};
thread_local PerThreadData t_data = {};

// Keeps the caller's error record across a print.
class ErrorGuard {
 public:
  ErrorGuard() { Error::Push(); }
  ErrorGuard(const ErrorGuard&) = delete;
  ErrorGuard& operator=(const ErrorGuard&) = delete;
  ~ErrorGuard() { Error::Pop(); }
};

// Copies at most MAX_ID characters of id, terminated; the rest of the field
// is cleared so that no earlier ID leaks into a packet.
void CopyID(char (&Out)[MAX_ID + 1], const char* id) {
  std::memset(Out, 0, sizeof(Out));
  if (id == nullptr) return;
  for (unsigned i = 0; i < MAX_ID && id[i] != '\0'; ++i) Out[i] = id[i];
}

void FillPacket(Packet& p, std::uint8_t Module, const char* id) {
  CopyID(p.ID, id);
  p.Module = Module;
  Types::Date date;
  Types::Time time;
  System::GetDateTime(date, time);
  p.Date = date.GetBinaryRepresentation();
  p.Time = time.GetBinaryRepresentation();
  p.ThreadID = Thread::GetCurrentThreadID();
  p.BufferSize = 0;
}

// Formats into Buffer (Size bytes), cut and terminated; returns the length
// of what was stored.
unsigned FormatInto(char* Buffer, unsigned Size, const char* Format, va_list Args) {
  if (Format == nullptr) Format = "";
  const int n = std::vsnprintf(Buffer, Size, Format, Args);
  if (n < 0) {
    Buffer[0] = '\0';
    return 0;
  }
  return std::min(static_cast<unsigned>(n), Size - 1);
}

std::uint8_t ClampModule(Modules m) {
  return static_cast<std::uint8_t>(std::min<Modules>(m, MAX_MODULE_ID));
}

}  // namespace

// ---------------------------------------------------------------------------
// Registry.

void Init() {
  RegisterModule(INIT, "INIT", "Secuencia de inicio del sistema");
  RegisterModule(SYSTEM, "SYSTEM",
                 "Abstracci\xA2"
                 "n de funciones de sistema operativo");
  RegisterModule(IO, "IO",
                 "M\xA2"
                 "dulos de entrada/salida");
  RegisterModule(STATE, "STATE", "Estado de los hilos de ejecuci\xA2n");
  RegisterModule(HTTP, "HTTP", "Servidor de protocolo HTTP");
  RegisterModule(CRYPTOGRAPHY, "CRYPTOGRAPHY",
                 "M\xA2"
                 "dulo de encriptaci\xA2n, administraci\xA2n de claves y firmas");
}

void RegisterModule(Modules Module, const char* ID, const char* Description) {
  if (Module >= MAX_MODULE_ID) return;
  ModuleInfo info;
  if (ID != nullptr) info.ID = ID;
  if (Description != nullptr) info.Description = Description;
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.modules[Module] = info;
}

const char* ToString(Modules Module) { return LookUp(Module).ID; }

const char* GetDescription(Modules Module) { return LookUp(Module).Description; }

bool FromString(const char* ID, Modules& Module) {
  if (ID == nullptr) return false;
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (const auto& [number, info] : r.modules) {
    if (ASCII::EqualsIgnoringCase(info.ID, ID)) {
      Module = number;
      return true;
    }
  }
  return false;
}

unsigned FillModules(Modules* c) {
  if (c == nullptr) return 0;
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  unsigned n = 0;
  for (const auto& entry : r.modules) {
    if (n == MAX_MODULE_ID) break;
    c[n++] = entry.first;
  }
  return n;
}

// Writes the bracketed name without a terminator; at most 5 characters.
unsigned GetASCII(char* p, char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (p == nullptr || (u >= 32 && u != 127)) return 0;
  const char* name = ASCII::ToString(c);
  unsigned n = 0;
  p[n++] = '[';
  for (unsigned i = 0; i < 3 && name[i] != '\0'; ++i) p[n++] = name[i];
  p[n++] = ']';
  return n;
}

// ---------------------------------------------------------------------------
// Control.

namespace Control {

void Init() {
  for (auto& m : g_modules) m.store(false);
  g_modules[INIT].store(true);
}

void EnableModule(Modules Module) {
  if (Module < MAX_MODULE_ID) g_modules[Module].store(true);
}

void DisableModule(Modules Module) {
  if (Module < MAX_MODULE_ID) g_modules[Module].store(false);
}

void EnableAllModules() {
  for (auto& m : g_modules) m.store(true);
}

void DisableAllModules() {
  for (auto& m : g_modules) m.store(false);
}

void SetCurrentTransport(Transport* t) { g_transport.store(t); }

Transport* GetCurrentTransport() { return g_transport.load(); }

bool TransportAvailable() { return g_transport.load() != nullptr; }

bool Enabled(Modules Module) {
  if (Module >= MAX_MODULE_ID || !g_modules[Module].load()) return false;
  Transport* t = g_transport.load();
  return t != nullptr && t->Enabled();
}

void Send(const Packet& p, const char* Line) {
  if (t_in_transport || Line == nullptr) return;
  if (p.Module >= MAX_MODULE_ID || !g_modules[p.Module].load()) return;
  Transport* t = g_transport.load();
  if (t == nullptr || !t->Enabled()) return;
  TransportMutexEnter();
  t_in_transport = true;
  t->Send(p, Line);
  t_in_transport = false;
  TransportMutexLeave();
}

void End(bool Wait) {
  Transport* t = g_transport.load();
  if (t != nullptr) t->End(Wait);
}

void ProcessCommand(const Command& c) {
  switch (c.Command) {
    case ENABLE_MODULE:
      EnableModule(c.Value);
      break;
    case DISABLE_MODULE:
      DisableModule(c.Value);
      break;
    case ENABLE_ALL:
      EnableAllModules();
      break;
    case DISABLE_ALL:
      DisableAllModules();
      break;
    case GET_THREADS_STATE:
      ThreadState::DebugState();
      break;
    default:
      break;
  }
}

void TransportMutexEnter() {
  TransportLock().Enter();
  ++t_transport_depth;
}

void TransportMutexLeave() {
  if (t_transport_depth == 0) {
    if (std::FILE* f = std::fopen("aborts", "ab")) {
      std::fputs("Leave sin Enter\n", f);
      std::fclose(f);
    }
    std::exit(1);
  }
  --t_transport_depth;
  TransportLock().Leave();
}

}  // namespace Control

// ---------------------------------------------------------------------------
// Debugger.

Debugger::Debugger(Modules m, const char* id) : module_(ClampModule(m)) { CopyID(id_, id); }

void Debugger::SetID(const char* Format, ...) {
  // Formatted apart first: the arguments may point into the current ID.
  char id[MAX_ID + 1];
  va_list args;
  va_start(args, Format);
  FormatInto(id, sizeof(id), Format, args);
  va_end(args);
  CopyID(id_, id);
}

bool Debugger::IsEnabled() const { return enabled_.load() && Control::Enabled(module_); }

bool Debugger::Prepare() {
  if (t_in_transport || !IsEnabled()) return false;
  FillPacket(t_data.pack, module_, id_);
  return true;
}

void Debugger::SendLine(const char* id, const char* Text, unsigned Size) {
  FillPacket(t_data.pack, module_, id);
  t_data.pack.BufferSize = Size;
  Control::Send(t_data.pack, Text);
}

void Debugger::Print(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  vPrint(Format, args);
  va_end(args);
}

void Debugger::vPrint(const char* Format, va_list Args) {
  ErrorGuard guard;
  if (!Prepare()) return;
  t_data.pack.BufferSize = FormatInto(t_data.Buffer, sizeof(t_data.Buffer), Format, Args);
  Control::Send(t_data.pack, t_data.Buffer);
}

void Debugger::PrintMultipleLines(const char* s) {
  ErrorGuard guard;
  if (s == nullptr || t_in_transport || !IsEnabled()) return;
  const char* rest = s;
  while (*rest != '\0') {
    const std::size_t len = std::strcspn(rest, "\r\n");
    const char* end = rest + len;
    const char* next = end;
    if (*end != '\0') {
      next = end + 1;
      // CR LF and LF CR end one line; CR CR and LF LF leave an empty one.
      if ((*next == '\r' || *next == '\n') && *next != *end) ++next;
    }
    const int shown = static_cast<int>(std::min<std::size_t>(len, LINE_BUFFER_SIZE - 1));
    Print("%.*s", shown, rest);
    rest = next;
  }
}

void Debugger::PrintWithFunctionID(const char* FunctionName, const char* Format, ...) {
  ErrorGuard guard;
  if (t_in_transport || !IsEnabled()) return;
  va_list args;
  va_start(args, Format);
  const unsigned n = FormatInto(t_data.Buffer, sizeof(t_data.Buffer), Format, args);
  va_end(args);
  SendLine(FunctionName, t_data.Buffer, n);
}

void Debugger::Log(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  vLog(Format, args);
  va_end(args);
}

void Debugger::vLog(const char* Format, va_list Args) {
  ErrorGuard guard;
  va_list for_log;
  va_copy(for_log, Args);
  // The transport lock is released before the log's lock is taken.
  vPrint(Format, Args);
  VXB::Log::vWriteWithModule(id_, Format != nullptr ? Format : "", for_log);
  va_end(for_log);
}

void Debugger::Dump(const void* Buffer, unsigned Size) {
  ErrorGuard guard;
  if (Buffer == nullptr || t_in_transport || !IsEnabled()) return;
  static constexpr char kHex[] = "0123456789ABCDEF";
  const Byte* bytes = static_cast<const Byte*>(Buffer);
  for (unsigned start = 0; start < Size; start += 16) {
    const unsigned count = std::min(16u, Size - start);
    char* line = t_data.Buffer;
    unsigned n = 0;
    for (unsigned i = 0; i < 16; ++i) {
      if (i < count) {
        const char c = static_cast<char>(bytes[start + i]);
        line[n++] = ASCII::IsPrintable(c) ? c : '.';
      } else {
        line[n++] = ' ';
      }
    }
    for (unsigned i = 0; i < count; ++i) {
      const Byte b = bytes[start + i];
      line[n++] = ' ';
      line[n++] = kHex[b >> 4];
      line[n++] = kHex[b & 0x0F];
    }
    line[n] = '\0';
    SendLine(id_, line, n);
  }
}

void Debugger::EscPrint(const char* Message, const Byte* Bin, unsigned Size) {
  ErrorGuard guard;
  if (t_in_transport || !IsEnabled()) return;
  if (Bin == nullptr) Size = 0;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text(Message != nullptr ? Message : "");
  text.reserve(text.size() + 5 * static_cast<std::size_t>(Size) + 2);
  text += ' ';
  for (unsigned i = 0; i < Size; ++i) {
    const Byte b = Bin[i];
    char piece[8];
    unsigned n = GetASCII(piece, static_cast<char>(b));
    if (n == 0) {
      if (ASCII::IsPrintable(static_cast<char>(b))) {
        piece[n++] = static_cast<char>(b);
      } else {
        // Bytes below 32 are named above, so what remains has two digits.
        piece[n++] = '[';
        piece[n++] = kHex[b >> 4];
        piece[n++] = kHex[b & 0x0F];
        piece[n++] = 'h';
        piece[n++] = ']';
      }
    }
    text.append(piece, n);
  }
  SendLine(id_, text.c_str(), static_cast<unsigned>(text.size()));
}

void Debugger::EscPrint(const char* Msg, const char* ASCII) {
  const std::size_t len = ASCII != nullptr ? std::strlen(ASCII) : 0;
  EscPrint(Msg, reinterpret_cast<const Byte*>(ASCII),
           static_cast<unsigned>(std::min<std::size_t>(len, 0xFFFFFFFFu / 8)));
}

void Debugger::End(bool Wait) { Control::End(Wait); }

void Debugger::OnScreen(const char* Format, ...) {
  va_list args;
  va_start(args, Format);
  vOnScreen(Format, args);
  va_end(args);
}

void Debugger::vOnScreen(const char* Format, va_list Args) {
  ErrorGuard guard;
  // One console call per line, so that lines of different threads do not
  // mix their line feeds.
  char text[LINE_BUFFER_SIZE];
  FormatInto(text, sizeof(text), Format, Args);
  Console::Print("%s\n", text);
}

}  // namespace VXB::Debug
