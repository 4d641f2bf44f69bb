// The network ports against servers scripted here, on loopback: what goes on the wire, the
// line's bytes both ways, and every way a server can fail or talk nonsense ending in a clear
// error within a bound.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "serial/comm_device.h"
#include "serial/comm_port.h"
#include "serial/loader_link.h"
#include "serial/net/telnet_codec.h"
#include "support/comm_error_of.h"
#include "support/loop_dispatcher.h"

using namespace std::chrono_literals;
using serial::TelnetCodec;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint8_t kIac = 255, kSb = 250, kSe = 240, kWill = 251, kDo = 253, kDont = 254;

// One connection accepted on a loopback port and handed to script on a thread of its own.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::function<void(ScriptedServer&)> script) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no loopback listener";
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 10000) != 1) return;
      fd_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      const int on = 1;
      ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      script(*this);
      ::close(fd_);
    });
  }
  ~ScriptedServer() {
    thread_.join();
    ::close(listener_);
  }

  std::string Url(const char* kind = "rfc2217") const {
    return std::string(kind) + "://127.0.0.1:" + std::to_string(port_);
  }

  // False once the client has gone.
  bool Send(const Bytes& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  // What the client sent until it had sent at least n bytes, went quiet for the pause or
  // closed; received() collects all of it.
  Bytes Receive(std::size_t n, std::chrono::milliseconds pause = 2000ms) {
    Bytes got;
    while (got.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(pause.count())) != 1) break;
      std::uint8_t chunk[4096];
      const ssize_t r = ::recv(fd_, chunk, sizeof chunk, 0);
      if (r <= 0) break;
      got.insert(got.end(), chunk, chunk + r);
    }
    received.insert(received.end(), got.begin(), got.end());
    return got;
  }
  // Agrees to the greeting as a well-behaved server does.
  void Agree() {
    Receive(15);
    Send({kIac, kDo, 0, kIac, kWill, 0, kIac, kDo, 3, kIac, kWill, 3, kIac, kDo, 44});
  }
  // Answers the line settings with rate, and each SET-CONTROL.
  void AnswerLine(std::uint32_t rate) {
    Receive(60, 300ms);
    Send(TelnetCodec::ComPortCommand(
        101, {static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
              static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)}));
    for (int i = 0; i < 3; ++i) Send(TelnetCodec::ComPortCommand(105, {1}));
  }
  // Reads what the client still sends until it closes (at most 10 s).
  void UntilClientCloses() {
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      std::uint8_t chunk[4096];
      if (::poll(&p, 1, 10000) != 1 || ::recv(fd_, chunk, sizeof chunk, 0) <= 0) return;
    }
  }

  Bytes received;

 private:
  int listener_ = -1;
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

std::string OpenFailure(const std::string& url) {
  return CommErrorOf([&] { serial::OpenCommDevice(url); });
}

// Where the sequence needle stands in haystack; npos when nowhere.
std::size_t Find(const Bytes& haystack, const Bytes& needle) {
  const auto at = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
  return at == haystack.end() ? std::string::npos : static_cast<std::size_t>(at - haystack.begin());
}

// What a link hands its consumer: the bytes, each notification and when it came, the line's
// loss and the failures reported.
struct LinkRecorder : serial::LinkConsumer {
  void Received(std::int32_t count) override {
    ++notices;
    lastNotice = std::chrono::steady_clock::now();
    std::uint8_t buffer[64];
    const std::int32_t n = link->Port().ReadBuf(buffer, std::min<std::int32_t>(count, 64));
    got.insert(got.end(), buffer, buffer + n);
  }
  bool LineLost(bool) override {
    lost = true;
    return true;
  }
  void Failed(const std::exception_ptr& failure) override {
    failures.push_back(serial::MessageOf(failure));
  }
  serial::LoaderLink* link = nullptr;
  Bytes got;
  int notices = 0;
  bool lost = false;
  std::chrono::steady_clock::time_point lastNotice;
  std::vector<std::string> failures;
};

}  // namespace

serial::TLineSettings LoaderLine() {
  serial::TLineSettings line;
  line.BaudRate = 10400;
  line.FlowControl.ControlDtr = serial::TDtrControl::dtrDisabled;
  line.FlowControl.ControlRts = serial::TRtsControl::rtsDisabled;
  return line;
}

// The device opened and set to the loader's line, as TCommPort does; the failure's text.
std::string OpenAndSetFailure(const std::string& url) {
  return CommErrorOf([&] { serial::OpenCommDevice(url)->ApplyLine(LoaderLine()); });
}

TEST(NetworkPort, ServersThatFailOrTalkNonsenseEndTheOpeningWithTheirReason) {
  {
    ScriptedServer server([](ScriptedServer& s) {
      s.Receive(15);
      s.Send({kIac, kDont, 44});
      s.UntilClientCloses();
    });
    EXPECT_EQ(OpenAndSetFailure(server.Url()),
              "Can't open specified device " + server.Url() +
                  " (the server does not take RFC 2217's com-port option; a raw port is "
                  "socket://)");
  }
  {
    // A sub-negotiation cut off by the end of the connection.
    ScriptedServer server([](ScriptedServer& s) {
      s.Agree();
      s.Receive(60, 300ms);
      s.Send({kIac, kSb, 44, 101, 0x00, 0x00});
    });
    EXPECT_EQ(OpenAndSetFailure(server.Url()), "Can't open specified device " + server.Url() +
                                                   " (the server closed the connection)");
  }
  {
    // Option requests without end, sent until the client gives up.
    ScriptedServer server([](ScriptedServer& s) {
      s.Receive(15);
      Bytes flood;
      for (int i = 0; i < 1000; ++i) flood.insert(flood.end(), {kIac, kWill, 5});
      for (int i = 0; i < 1000 && s.Send(flood); ++i) s.Receive(1, 1ms);
    });
    EXPECT_EQ(OpenAndSetFailure(server.Url()), "Can't open specified device " + server.Url() +
                                                   " (the server's answer is not Telnet)");
  }
  {
    // A rate far off: the same rule and message as a local adapter's.
    ScriptedServer server([](ScriptedServer& s) {
      s.Agree();
      s.AnswerLine(9600);
      s.UntilClientCloses();
    });
    EXPECT_EQ(OpenAndSetFailure(server.Url()),
              "The device cannot run at 10400 bit/s (it runs at 9600 bit/s)");
  }
  {
    // A stray IAC at the end of one read, its command in the next: no hang, no byte lost.
    ScriptedServer server([](ScriptedServer& s) {
      s.Agree();
      s.AnswerLine(10400);
      s.Send({0x55, kIac});
      s.Receive(1, 50ms);
      s.Send({kIac, 0x33});
      s.UntilClientCloses();
    });
    auto device = serial::OpenCommDevice(server.Url());
    device->ApplyLine(LoaderLine());
    std::uint8_t got[8];
    std::int32_t n = 0;
    for (int i = 0; i < 100 && n < 3; ++i) n += device->Read(got + n, 8 - n, 100ms, 5ms);
    EXPECT_EQ(Bytes(got, got + n), (Bytes{0x55, 0xFF, 0x33}));
  }
  {
    // Silence after the connection: the wait is bounded.
    ScriptedServer server([](ScriptedServer& s) { s.UntilClientCloses(); });
    EXPECT_EQ(OpenAndSetFailure(server.Url()),
              "Can't open specified device " + server.Url() +
                  " (the server did not answer the com-port option within 5 s)");
  }
}

TEST(NetworkPort, AddressesThatNameNoServerAreRefusedAtOnce) {
  int closed = -1;
  {
    ScriptedServer gone([](ScriptedServer&) {});
    closed = std::stoi(gone.Url().substr(gone.Url().rfind(':') + 1));
    serial::OpenCommDevice(gone.Url("socket"));
  }
  const std::string refused = "rfc2217://127.0.0.1:" + std::to_string(closed);
  EXPECT_EQ(OpenFailure(refused),
            "Can't open specified device " + refused + " (Connection refused)");
  const std::string v6 = "socket://[::1]:" + std::to_string(closed);
  const std::string v6Failure = OpenFailure(v6);
  EXPECT_TRUE(v6Failure == "Can't open specified device " + v6 + " (Connection refused)" ||
              v6Failure.find("Cannot assign requested address") != std::string::npos ||
              v6Failure.find("Address family") != std::string::npos)
      << v6Failure;
  for (const char* bad : {"rfc2217://host", "rfc2217://:4001", "rfc2217://host:0",
                          "socket://host:65536", "socket://[::1]4001", "rfc2217://a/b:1"}) {
    EXPECT_EQ(OpenFailure(bad), std::string("Can't open specified device ") + bad +
                                    " (a network port is KIND://HOST:PORT, such as "
                                    "rfc2217://station1:4001 or rfc2217://[::1]:4001)");
  }
}

// Through the port device as the loader drives it: DTR and RTS lowered before anything else,
// the line's bytes exact both ways with 0xFF doubled on the wire, and the connection's loss
// reported as a lost line.
TEST(NetworkPort, TheLoadersLineOverRfc2217) {
  Bytes fromClient;
  std::atomic<bool> echoed{false};
  ScriptedServer server([&](ScriptedServer& s) {
    s.Agree();
    s.AnswerLine(10400);
    const Bytes data = s.Receive(4, 2000ms);
    s.Send({0x55, kIac, kIac, 0x0D, 0x00, kIac, 241, 0xAA});
    echoed = true;
    s.Receive(1, 300ms);
  });
  LoopDispatcher ui;
  LinkRecorder consumer;
  serial::LoaderLink link(ui, consumer);
  consumer.link = &link;
  link.Port().SetClosePause(0ms);
  link.Port().SetDeviceName(server.Url());
  link.Port().Open();
  const std::uint8_t packet[] = {0xFF, 0x0D, 0x11};
  link.Port().WriteBuf(packet, 3);
  EXPECT_TRUE(ui.RunUntil([&] { return consumer.got.size() >= 4; }, 5000ms));
  EXPECT_EQ(consumer.got, (Bytes{0x55, 0xFF, 0x0D, 0x00, 0xAA}));
  EXPECT_TRUE(ui.RunUntil([&] { return consumer.lost; }, 10000ms));
  EXPECT_FALSE(link.Port().Active());
  EXPECT_EQ(consumer.failures, std::vector<std::string>{"Error retrieving statistics (104), " +
                                                        serial::SystemErrorText(ECONNRESET)});

  // What the server saw: the greeting, DTR off and RTS off before the line's settings, no purge
  // of what it had received (an early hello stays), the packet with its 0xFF doubled.
  const Bytes& wire = server.received;
  const std::size_t dtrOff = Find(wire, {kIac, kSb, 44, 5, 9, kIac, kSe});
  const std::size_t rtsOff = Find(wire, {kIac, kSb, 44, 5, 12, kIac, kSe});
  const std::size_t rate = Find(wire, {kIac, kSb, 44, 1, 0x00, 0x00, 0x28, 0xA0, kIac, kSe});
  ASSERT_NE(rate, std::string::npos);
  EXPECT_LT(dtrOff, rtsOff);
  EXPECT_LT(rtsOff, rate);
  EXPECT_EQ(Find(wire, {kIac, kSb, 44, 12, 1, kIac, kSe}), std::string::npos);
  EXPECT_EQ(Find(wire, {kIac, kSb, 44, 12, 3, kIac, kSe}), std::string::npos);
  EXPECT_NE(Find(wire, {kIac, kIac, 0x0D, 0x11}), std::string::npos);
}

// The reader's hint over a raw network port: a reply the server hands on in groups comes as
// one notification; a short reply is not held for the bytes that never come; a connection
// that ends while a reply is awaited is reported after the bytes that came.
TEST(NetworkPort, AnAwaitedReplyComesWholeAndAShortOneAtOnce) {
  const Bytes reply = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B};
  std::atomic<int> step{0};
  ScriptedServer server([&](ScriptedServer& s) {
    s.Receive(1);
    // Groups a line byte's time apart, as a server forwards a paced echo.
    for (std::size_t at = 0; at < reply.size(); at += 4) {
      s.Send(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(at),
                   reply.begin() + static_cast<std::ptrdiff_t>(at + 4)));
      std::this_thread::sleep_for(1ms);
    }
    s.Receive(1);
    s.Send({0x42});
    s.Receive(1);
    s.Send({1, 2, 3});
    while (step < 3) s.Receive(1, 100ms);
  });
  LoopDispatcher ui;
  LinkRecorder consumer;
  serial::LoaderLink link(ui, consumer);
  consumer.link = &link;
  link.Port().SetClosePause(0ms);
  link.Port().SetDeviceName(server.Url("socket"));
  link.Port().Open();
  const std::uint8_t ask = 0x01;

  link.Port().Await(static_cast<std::int32_t>(reply.size()));
  link.Port().WriteBuf(&ask, 1);
  ASSERT_TRUE(ui.RunUntil([&] { return consumer.got.size() >= reply.size(); }, 5000ms));
  EXPECT_EQ(consumer.got, reply);
  // The first group may come alone before the rest is seen to follow.
  EXPECT_LE(consumer.notices, 2);

  consumer.got.clear();
  link.Port().Await(132);
  const auto asked = std::chrono::steady_clock::now();
  link.Port().WriteBuf(&ask, 1);
  ASSERT_TRUE(ui.RunUntil([&] { return !consumer.got.empty(); }, 5000ms));
  EXPECT_EQ(consumer.got, Bytes{0x42});
  EXPECT_LT(consumer.lastNotice - asked, 50ms);

  consumer.got.clear();
  link.Port().Await(132);
  link.Port().WriteBuf(&ask, 1);
  ASSERT_TRUE(ui.RunUntil([&] { return consumer.got.size() >= 3; }, 5000ms));
  step = 3;
  ASSERT_TRUE(ui.RunUntil([&] { return consumer.lost; }, 10000ms));
  EXPECT_EQ(consumer.got, (Bytes{1, 2, 3}));
  EXPECT_FALSE(link.Port().Active());
}
