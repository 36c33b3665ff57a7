// Loopback throughput and latency of the embedded HTTP server: a small
// static page and the echo page, one client at a time and eight at once.
// Each request is a fresh connection (HTTP/1.0, "Connection: close").
// With ZORBEL_BENCH_EXTERNAL_PORT set, BM_ExternalStatic fetches
// /hello.html from another server on 127.0.0.1 at that port, for a
// comparison on the same client.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "http_example/example_server.h"
#include "http_example/raw_client.h"

namespace {

using Zorbel::HttpExample::ExampleServer;
using Zorbel::HttpExample::Exchange;

VXB::Network::PORT ServerPort() {
  static std::unique_ptr<ExampleServer> server = [] {
    auto s = std::make_unique<ExampleServer>(0, "");
    if (!s->IsOK() || !s->Run()) std::abort();
    return s;
  }();
  return static_cast<VXB::Network::PORT>(server->GetPort());
}

const std::string kStatic = "GET /hello.html HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
const std::string kEcho =
    "POST /echo HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
    "Content-Length: 44\r\n\r\n{\"ConsultarEstado\":{\"CodigoComprobante\":83}}";

// Runs requests and reports requests/s and the median latency (us).
void Run(benchmark::State& state, VXB::Network::PORT port, const std::string& request) {
  std::vector<double> latencies;
  latencies.reserve(4096);
  std::size_t failures = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const auto r = Exchange(port, request);
    const auto end = std::chrono::steady_clock::now();
    if (r.status != 200) ++failures;
    latencies.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  std::sort(latencies.begin(), latencies.end());
  state.SetItemsProcessed(state.iterations());
  state.counters["req_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["median_us"] = latencies.empty() ? 0 : latencies[latencies.size() / 2];
  state.counters["failures"] = static_cast<double>(failures);
}

void BM_Static(benchmark::State& state) { Run(state, ServerPort(), kStatic); }
void BM_Echo(benchmark::State& state) { Run(state, ServerPort(), kEcho); }

void BM_ExternalStatic(benchmark::State& state) {
  const char* port = std::getenv("ZORBEL_BENCH_EXTERNAL_PORT");
  if (port == nullptr) {
    state.SkipWithError("ZORBEL_BENCH_EXTERNAL_PORT not set");
    return;
  }
  Run(state, static_cast<VXB::Network::PORT>(std::atoi(port)), kStatic);
}

BENCHMARK(BM_Static)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Static)->UseRealTime()->Threads(8)->MinTime(2.0);
BENCHMARK(BM_Echo)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Echo)->UseRealTime()->Threads(8)->MinTime(2.0);
BENCHMARK(BM_ExternalStatic)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ExternalStatic)->UseRealTime()->Threads(8)->MinTime(2.0);

}  // namespace
