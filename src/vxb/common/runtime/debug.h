// Diagnostic output. Code prints through Debugger objects; each belongs to a
// numbered debug module and carries a short ID. A line is produced only when
// its module is switched on and the one process-wide transport is installed
// and enabled.
//
// Thread safety: any thread may print. Lines are formatted in the calling
// thread's own buffer without a lock; only the call into the transport is
// serialized by the transport lock "VXB::Debug::Control", which is always
// taken before the log's lock. Module switches are atomics. The module
// registry is filled at start-up and read without locks afterwards.
// Printing never disturbs the caller's error record.
#ifndef VXB_COMMON_DEBUG_H_
#define VXB_COMMON_DEBUG_H_

#include <atomic>
#include <cstdarg>
#include <cstdint>

#include "vxb/common/base/datetime.h"
#include "vxb/common/base/types.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::Debug {

using Modules = std::uint32_t;

inline constexpr Modules INIT = 1;
inline constexpr Modules SYSTEM = 2;
inline constexpr Modules IO = 3;
inline constexpr Modules STATE = 4;
inline constexpr Modules HTTP = 5;
inline constexpr Modules CRYPTOGRAPHY = 6;
// Valid modules are 0..254; 255 is never a module.
inline constexpr Modules MAX_MODULE_ID = 255;

inline constexpr unsigned MAX_ID = 30;
inline constexpr unsigned LINE_BUFFER_SIZE = 2048;
inline constexpr std::uint16_t DEBUG_TCP_PORT = 11002;

struct ModuleInfo {
  const char* ID = "Unknown ID";
  const char* Description = "Unknown";
};

// The header of one debug line, 48 bytes, sent as is (little-endian) by the
// TCP transport.
struct Packet {
  std::uint8_t Module = 0;
  char ID[MAX_ID + 1] = {};
  std::uint32_t Date = 0;
  std::uint32_t Time = 0;
  std::uint32_t ThreadID = 0;
  std::uint32_t BufferSize = 0;
};
static_assert(sizeof(Packet) == 48, "the debug packet header is 48 bytes on the wire");

// Registry.
void Init();
void RegisterModule(Modules Module, const char* ID, const char* Description);
// An unregistered number gets the default entry ("Unknown ID", "Unknown").
const char* ToString(Modules Module);
const char* GetDescription(Modules Module);
bool FromString(const char* ID, Modules& Module);
// Writes every registered number in ascending order; room for 255.
unsigned FillModules(Modules* c);
// Writes "[NAME]" for a control character (0-31, 127) and returns the count
// written; 0 and nothing written for any other character.
unsigned GetASCII(char* p, char c);

// An output for debug lines.
class Transport {
 public:
  Transport() = default;
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;
  virtual ~Transport() = default;

  virtual void End(bool Wait) = 0;
  // Line holds d.BufferSize bytes and is zero-terminated.
  virtual void Send(const Packet& d, const char* Line) = 0;
  virtual bool Enabled() = 0;
  virtual int GetDescriptor() = 0;
};

// Hands every line to a callback (the program writes them into the log).
class TransportCustom : public Transport {
 public:
  using Callback = void (*)(const Types::Date& date, const Types::Time& time, unsigned module,
                            const char* ID, const char* Line);

  TransportCustom() = default;
  void SetCallback(Callback fn) { callback_.store(fn); }
  void Enable(bool b) { enabled_.store(b); }

  void End(bool Wait) override;
  void Send(const Packet& d, const char* Line) override;
  bool Enabled() override;  // enabled and a callback is set
  int GetDescriptor() override { return -1; }

 private:
  std::atomic<Callback> callback_{nullptr};
  std::atomic<bool> enabled_{true};
};

// Prints "%s: %s\n" of the ID and the line on the console.
class TransportPrintF : public Transport {
 public:
  void End(bool Wait) override;
  void Send(const Packet& d, const char* Line) override;
  bool Enabled() override { return true; }
  int GetDescriptor() override { return 1; }
};

// Appends one line per debug line to a file, opened and closed each time;
// past 5,000,000 bytes the file is renamed to its backup name (next-to-last
// character replaced by '_') and started anew.
class TransportFile : public Transport {
 public:
  static constexpr unsigned MAX_FILENAME = 512;
  static constexpr unsigned MAX_VARIABLE_NAME = 30;
  static constexpr long MAX_DEBUG_FILE = 5000000;

  explicit TransportFile(const char* fname);
  // The path is the environment variable's value when it is set, else
  // defvalue.
  TransportFile(const char* envvariable, const char* defvalue);
  void ChangeFilename(const char* NewFilename);

  void End(bool Wait) override;
  void Send(const Packet& d, const char* Line) override;
  bool Enabled() override { return ok_.load(); }
  int GetDescriptor() override { return -1; }

 private:
  std::atomic<bool> ok_{true};
  char filename_[MAX_FILENAME] = "";
  char variable_[MAX_VARIABLE_NAME] = "";
};

namespace Control {

enum Commands : std::uint8_t {
  ENABLE_MODULE = 0,
  DISABLE_MODULE = 1,
  ENABLE_ALL = 2,
  DISABLE_ALL = 3,
  GET_THREADS_STATE = 4,
  MAX_COMMANDS = 5,
};

struct Command {
  std::uint8_t Command = 0;
  std::uint8_t Value = 0;
};

// All modules off, then INIT on.
void Init();
void EnableModule(Modules Module);
void DisableModule(Modules Module);
void EnableAllModules();
void DisableAllModules();
// Not owned: the installer keeps the transport alive while installed.
void SetCurrentTransport(Transport* t);
Transport* GetCurrentTransport();
bool TransportAvailable();
// Module on, a transport installed and enabled.
bool Enabled(Modules Module);
// Hands one line to the transport under the transport lock.
void Send(const Packet& p, const char* Line);
void End(bool Wait);
void ProcessCommand(const Command& c);
void TransportMutexEnter();
// Leaving without having entered is a programming error: appends
// "Leave sin Enter" to the file "aborts" and ends the process.
void TransportMutexLeave();

}  // namespace Control

// A debug channel. Plain object owned by the code that creates it; not to be
// shared by threads that change its ID or module concurrently.
class Debugger {
 public:
  // The ID is taken literally (cut to 30 characters): a '%' in it is text.
  Debugger(Modules m, const char* id);

  // Formats a new ID from Format (cut to 30 characters).
  void SetID(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  const char* GetID() const { return id_; }
  Modules GetModule() const { return module_; }
  // A number from MAX_MODULE_ID up is kept as MAX_MODULE_ID: never enabled.
  void SetModule(Modules m) {
    module_ = static_cast<std::uint8_t>(m < MAX_MODULE_ID ? m : MAX_MODULE_ID);
  }
  void Enable() { enabled_.store(true); }
  void Disable() { enabled_.store(false); }
  // The own switch is on and Control::Enabled(module).
  bool IsEnabled() const;
  // Fills the calling thread's packet; false when not enabled.
  bool Prepare();

  void Print(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  void vPrint(const char* Format, va_list Args);
  // One line per text line; CR LF and LF CR count as one line end.
  void PrintMultipleLines(const char* s);
  // One line under the ID FunctionName; the own ID is kept.
  void PrintWithFunctionID(const char* FunctionName, const char* Format, ...)
      VXB_PRINTF_FORMAT(3, 4);
  // One debug line (when enabled) and, always, one log line with the ID as
  // module name.
  void Log(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  void vLog(const char* Format, va_list Args);
  // One line per 16 bytes: printable column, then " %02X" per byte.
  void Dump(const void* Buffer, unsigned Size);
  // The message, a blank, then the bytes with control characters named
  // ("[STX]") and non-printable ones in hexadecimal ("[F3h]").
  void EscPrint(const char* Message, const Byte* Bin, unsigned Size);
  void EscPrint(const char* Msg, const char* ASCII);
  void End(bool Wait);

  // Console output and a line feed; independent of modules and transports.
  static void OnScreen(const char* Format, ...) VXB_PRINTF_FORMAT(1, 2);
  static void vOnScreen(const char* Format, va_list Args);

 private:
  void SendLine(const char* id, const char* Text, unsigned Size);

  std::uint8_t module_;
  char id_[MAX_ID + 1];
  std::atomic<bool> enabled_{true};
};

}  // namespace VXB::Debug

#endif  // VXB_COMMON_DEBUG_H_
