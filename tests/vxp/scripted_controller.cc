// The scripted fiscal controller and the trace recorder used by the packet
// protocol's tests.
#include "vxp/scripted_controller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "vxb/common/runtime/error.h"

namespace VXP::Testing {

namespace {

constexpr VXB::Byte STX = 0x02;
constexpr VXB::Byte ETX = 0x03;
constexpr VXB::Byte ESC = 0x1B;
constexpr VXB::Byte FS = 0x1C;
constexpr VXB::Byte ACK = 0x06;
constexpr unsigned TRACE_MODULE = 200;

using Clock = std::chrono::steady_clock;

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
          .count());
}

}  // namespace

Bytes MakePacket(VXB::Byte Sequence, VXB::Byte Command, const std::vector<std::string>& Fields,
                 bool WithEsc, bool Upper, int ChecksumDelta) {
  Bytes p{STX, Sequence};
  if (WithEsc) p.push_back(ESC);
  p.push_back(Command);
  for (const std::string& f : Fields) {
    p.push_back(FS);
    p.insert(p.end(), f.begin(), f.end());
  }
  p.push_back(ETX);
  unsigned sum = 0;
  for (VXB::Byte b : p) sum += b;
  sum = static_cast<unsigned>(static_cast<int>(sum) + ChecksumDelta) & 0xFFFF;
  char digits[8];
  std::snprintf(digits, sizeof(digits), Upper ? "%04X" : "%04x", sum);
  p.insert(p.end(), digits, digits + 4);
  return p;
}

// ---------------------------------------------------------------------------

class ScriptedController::HostPort : public VXB::Driver::Generic {
 public:
  explicit HostPort(ScriptedController& c) : Generic("ScriptedController"), c_(c) {}
  bool OK() const override { return true; }
  bool Abort() override {
    {
      std::lock_guard<std::mutex> lk(c_.mu_);
      c_.abort_ = true;
    }
    c_.cv_.notify_all();
    return true;
  }

 protected:
  unsigned WriteBufferImplementation(const VXB::Byte* buf, unsigned size, unsigned) override {
    c_.HostWrote(buf, size);
    return size;
  }
  unsigned ReadBufferImplementation(VXB::Byte* buf, unsigned size, unsigned Timeout) override {
    return c_.HostRead(buf, size, Timeout);
  }
  unsigned PeekImplementation() override { return c_.HostPeek(); }

 private:
  ScriptedController& c_;
};

ScriptedController::ScriptedController(bool BusyStateVariant)
    : busy_variant_(BusyStateVariant), port_(std::make_unique<HostPort>(*this)) {}

ScriptedController::~ScriptedController() = default;

VXB::Driver::Generic& ScriptedController::Port() { return *port_; }

void ScriptedController::OnFrame(FrameHandler h) {
  std::lock_guard<std::mutex> lk(mu_);
  on_frame_ = std::move(h);
}

void ScriptedController::OnHostByte(ByteHandler h) {
  std::lock_guard<std::mutex> lk(mu_);
  on_byte_ = std::move(h);
}

void ScriptedController::Send(const Bytes& b, unsigned DelayMs) {
  {
    std::lock_guard<std::mutex> lk(mu_);
    replies_.push_back(Reply{b, DelayMs});
  }
  cv_.notify_all();
}

void ScriptedController::AckAndAnswer(const HostFrame& f, const std::vector<std::string>& Fields) {
  Send(ACK);
  Send(Answer(f.Sequence, f.Command, Fields));
}

Bytes ScriptedController::Answer(VXB::Byte Sequence, VXB::Byte Command,
                                 const std::vector<std::string>& Fields, bool Upper,
                                 int ChecksumDelta) const {
  return MakePacket(Sequence, Command, Fields, busy_variant_, Upper, ChecksumDelta);
}

void ScriptedController::FailReads(bool b) {
  {
    std::lock_guard<std::mutex> lk(mu_);
    fail_reads_ = b;
  }
  cv_.notify_all();
}

std::vector<HostFrame> ScriptedController::Frames() const {
  std::lock_guard<std::mutex> lk(mu_);
  return frames_;
}

Bytes ScriptedController::HostBytes() const {
  std::lock_guard<std::mutex> lk(mu_);
  return host_bytes_;
}

Bytes ScriptedController::Written() const {
  std::lock_guard<std::mutex> lk(mu_);
  return written_;
}

std::size_t ScriptedController::Pending() const {
  std::lock_guard<std::mutex> lk(mu_);
  std::size_t n = 0;
  for (const Reply& r : replies_) n += r.Data.size();
  return n;
}

bool ScriptedController::WaitForFrames(std::size_t n, unsigned TimeoutMs) {
  std::unique_lock<std::mutex> lk(mu_);
  return cv_.wait_for(lk, std::chrono::milliseconds(TimeoutMs),
                      [&] { return frames_.size() >= n; });
}

void ScriptedController::HostWrote(const VXB::Byte* buf, unsigned size) {
  std::vector<HostFrame> completed;
  Bytes singles;
  FrameHandler on_frame;
  ByteHandler on_byte;
  {
    std::lock_guard<std::mutex> lk(mu_);
    written_.insert(written_.end(), buf, buf + size);
    for (unsigned i = 0; i < size; ++i) {
      const VXB::Byte b = buf[i];
      switch (parse_) {
        case ParseState::OUTSIDE:
          if (b == STX) {
            current_.assign(1, b);
            parse_ = ParseState::BODY;
          } else {
            singles.push_back(b);
            host_bytes_.push_back(b);
          }
          break;
        case ParseState::BODY:
          current_.push_back(b);
          if (b == ETX) {
            parse_ = ParseState::CHECKSUM;
            digits_ = 0;
          }
          break;
        case ParseState::CHECKSUM:
          current_.push_back(b);
          if (++digits_ == 4) {
            HostFrame f;
            f.Raw = current_;
            const std::size_t etx = current_.size() - 5;
            unsigned sum = 0;
            for (std::size_t k = 0; k <= etx; ++k) sum += current_[k];
            char digits[8];
            std::snprintf(digits, sizeof(digits), "%04x", sum & 0xFFFF);
            f.ChecksumOK = std::equal(digits, digits + 4, current_.begin() + etx + 1);
            std::size_t k = 1;
            if (k < etx) f.Sequence = current_[k++];
            if (k < etx && current_[k] == ESC) {
              f.HasEsc = true;
              ++k;
            }
            if (k < etx) f.Command = current_[k++];
            if (k < etx && current_[k] == FS) {
              f.HasText = true;
              f.Text.assign(current_.begin() + static_cast<long>(k) + 1,
                            current_.begin() + static_cast<long>(etx));
            }
            completed.push_back(f);
            frames_.push_back(f);
            parse_ = ParseState::OUTSIDE;
          }
          break;
      }
    }
    on_frame = on_frame_;
    on_byte = on_byte_;
  }
  cv_.notify_all();
  for (VXB::Byte b : singles)
    if (on_byte) on_byte(*this, b);
  for (const HostFrame& f : completed)
    if (on_frame) on_frame(*this, f);
}

unsigned ScriptedController::HostRead(VXB::Byte* buf, unsigned size, unsigned Timeout) {
  std::unique_lock<std::mutex> lk(mu_);
  const bool forever = Timeout == VXB::Constants::WAIT_FOREVER;
  const std::uint64_t deadline = forever ? UINT64_MAX : NowMs() + Timeout;
  for (;;) {
    if (abort_) {
      abort_ = false;
      VXB::Error::SetWithContext(VXB::Error::SYSTEM_ABORTED_PROCESS, "ScriptedController");
      return 0;
    }
    if (fail_reads_) {
      VXB::Error::SetWithContext(VXB::Error::IO_READ_ERROR, "ScriptedController");
      return 0;
    }
    const std::uint64_t now = NowMs();
    std::uint64_t wake = deadline;
    if (!replies_.empty()) {
      Reply& head = replies_.front();
      if (!head.Started) {
        head.Started = true;
        head.ReadyAt = now + head.DelayMs;
      }
      if (now >= head.ReadyAt) {
        unsigned n = 0;
        while (n < size && !replies_.empty()) {
          Reply& r = replies_.front();
          if (!r.Started) {
            if (r.DelayMs > 0) break;
            r.Started = true;
          }
          const unsigned take = std::min<unsigned>(size - n, static_cast<unsigned>(r.Data.size()));
          std::copy(r.Data.begin(), r.Data.begin() + take, buf + n);
          r.Data.erase(r.Data.begin(), r.Data.begin() + take);
          n += take;
          if (r.Data.empty()) replies_.pop_front();
        }
        if (n > 0) return n;
      }
      wake = std::min(wake, head.ReadyAt);
    }
    if (now >= deadline) {
      VXB::Error::SetWithContext(VXB::Error::IO_TIMEOUT_ERROR, "ScriptedController");
      return 0;
    }
    if (wake == UINT64_MAX) {
      cv_.wait(lk);
    } else {
      cv_.wait_for(lk, std::chrono::milliseconds(wake > now ? wake - now : 0));
    }
  }
}

unsigned ScriptedController::HostPeek() {
  std::lock_guard<std::mutex> lk(mu_);
  const std::uint64_t now = NowMs();
  unsigned n = 0;
  for (const Reply& r : replies_) {
    const bool ready = r.Started ? now >= r.ReadyAt : r.DelayMs == 0;
    if (!ready) break;
    n += static_cast<unsigned>(r.Data.size());
  }
  return n;
}

// ---------------------------------------------------------------------------

namespace {

std::mutex g_trace_mu;
std::vector<std::string> g_trace_lines;

void RecordLine(const VXB::Types::Date&, const VXB::Types::Time&, unsigned module, const char*,
                const char* Line) {
  if (module != TRACE_MODULE) return;
  std::lock_guard<std::mutex> lk(g_trace_mu);
  g_trace_lines.emplace_back(Line != nullptr ? Line : "");
}

}  // namespace

TraceRecorder::TraceRecorder() : previous_(VXB::Debug::Control::GetCurrentTransport()) {
  {
    std::lock_guard<std::mutex> lk(g_trace_mu);
    g_trace_lines.clear();
  }
  transport_.SetCallback(&RecordLine);
  VXB::Debug::Control::SetCurrentTransport(&transport_);
  VXB::Debug::Control::EnableModule(TRACE_MODULE);
}

TraceRecorder::~TraceRecorder() {
  VXB::Debug::Control::DisableModule(TRACE_MODULE);
  VXB::Debug::Control::SetCurrentTransport(previous_);
  std::lock_guard<std::mutex> lk(g_trace_mu);
  g_trace_lines.clear();
}

std::vector<std::string> TraceRecorder::Lines() const {
  std::lock_guard<std::mutex> lk(g_trace_mu);
  return g_trace_lines;
}

std::size_t TraceRecorder::Count(const std::string& Line) const {
  std::lock_guard<std::mutex> lk(g_trace_mu);
  return static_cast<std::size_t>(std::count(g_trace_lines.begin(), g_trace_lines.end(), Line));
}

std::size_t TraceRecorder::CountPrefix(const std::string& Prefix) const {
  std::lock_guard<std::mutex> lk(g_trace_mu);
  return static_cast<std::size_t>(
      std::count_if(g_trace_lines.begin(), g_trace_lines.end(),
                    [&](const std::string& l) { return l.rfind(Prefix, 0) == 0; }));
}

}  // namespace VXP::Testing
