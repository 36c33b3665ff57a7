// zorbel-emulator: a fiscal controller stand-in on a pseudo-terminal or a
// serial device. See kHelp in options.cc.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "vxb/common/charset.h"
#include "vxb/common/error.h"
#include "vxb/common/serial_port.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"
#include "zorbel_emulator/options.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnSignal(int) { g_interrupted = 1; }

// Prints the thread's last error as "SYMBOL: description: context".
void PrintLastError() {
  const VXB::Error::ErrInfo* e = VXB::Error::GetLastError();
  if (e == nullptr) {
    std::cerr << "zorbel-emulator: error\n";
    return;
  }
  std::string line =
      std::string(VXB::Error::ToID(e->Error)) + ": " + VXB::Error::ToString(e->Error);
  if (e->Context[0] != '\0') line += std::string(": ") + e->Context;
  std::string utf8(line.size() * 2 + 1, '\0');
  const unsigned n = VXB::ASCII::ToUTF8(line.c_str(), utf8.data(), utf8.size());
  std::cerr << (n == VXB::ASCII::CONVERSION_FAILED ? line : utf8.substr(0, n)) << "\n";
}

void PrintTrace(const std::string& text) {
  std::string utf8(text.size() * 2 + 1, '\0');
  const unsigned n = VXB::ASCII::ToUTF8(text.c_str(), utf8.data(), utf8.size());
  std::cout << (n == VXB::ASCII::CONVERSION_FAILED ? text : utf8.substr(0, n)) << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  VXB::Error::Init();
  VXP::Error::Init();

  ZorbelEmulator::CommandLine cl;
  std::string error;
  if (!ZorbelEmulator::ParseCommandLine(argc - 1, argv + 1, cl, error)) {
    std::cerr << "zorbel-emulator: " << error << "\n" << ZorbelEmulator::kHelp;
    return 2;
  }
  if (cl.Help) {
    std::cout << ZorbelEmulator::kHelp;
    return 0;
  }
  if (cl.Verbose) cl.Emulation.Trace = PrintTrace;

  VXB::PseudoTerminal pty;
  VXB::SerialPort port;
  VXB::Driver::Generic* line = nullptr;
  if (cl.Port.empty()) {
    if (!pty.Open()) {
      PrintLastError();
      return 1;
    }
    std::cout << pty.SlavePath() << std::endl;
    line = &pty;
  } else {
    VXB::SerialParams params;
    if (!VXB::SerialPort::GetBaudRate(cl.Baud, params.BaudRate)) {
      std::cerr << "zorbel-emulator: unsupported speed " << cl.Baud << "\n";
      return 2;
    }
    params.WordLength = VXB::SerialPort::WORD_LENGTH_8;
    params.Parity = VXB::SerialPort::PARITYMODE_NONE;
    params.StopBits = VXB::SerialPort::STOP_1;
    if (!port.Open(cl.Port.c_str()) || !port.SetSerialParams(params)) {
      PrintLastError();
      return 1;
    }
    std::cout << port.GetDeviceName() << std::endl;
    line = &port;
  }

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  ZorbelEmulator::Emulator emulator(*line, cl.Emulation);
  std::thread server([&emulator] { emulator.Serve(); });
  while (g_interrupted == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  emulator.Stop();
  server.join();
  return 0;
}
