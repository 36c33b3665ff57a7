// zorbel-emulator: a fiscal controller stand-in on a pseudo-terminal or a
// serial device. See kHelp in options.cc.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "common/tool_support.h"
#include "vxb/common/io/serial_port.h"
#include "vxb/common/runtime/error.h"
#include "vxp/vxp_errno.h"
#include "zorbel_emulator/emulator.h"
#include "zorbel_emulator/options.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnSignal(int) { g_interrupted = 1; }

void PrintLastError() { std::cerr << ZorbelTools::FailureLine() << "\n"; }

void PrintTrace(const std::string& text) {
  std::cout << ZorbelTools::ToTerminal(text) << std::endl;
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
  std::cout << emulator.Summary() << std::flush;
  return 0;
}
