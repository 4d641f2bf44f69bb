#include "targets.h"

#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line.h"
#include "paced_output.h"
#include "session.h"

namespace sim {

namespace {

struct Target {
  std::string path;
  std::unique_ptr<Session> session;
  std::optional<int> result;
  bool started = false;  // the flasher has opened the line: the hello is on its way
  bool watchingWrite = false;
};

[[noreturn]] void Fail(const char* what) {
  throw LineError(std::string(what) + ": " + std::strerror(errno));
}

void Watch(int epoll, int op, int fd, std::uint32_t events, std::uint64_t key) {
  epoll_event event{};
  event.events = events;
  event.data.u64 = key;
  if (epoll_ctl(epoll, op, fd, &event) != 0) Fail("epoll_ctl");
}

// steady_clock is CLOCK_MONOTONIC here: its time points arm the timer directly.
void Arm(int timer, std::optional<Clock::time_point> at) {
  itimerspec spec{};
  if (at) {
    const auto ns = std::max<long long>(
        1, std::chrono::duration_cast<std::chrono::nanoseconds>(at->time_since_epoch()).count());
    spec.it_value = {static_cast<time_t>(ns / 1'000'000'000),
                     static_cast<long>(ns % 1'000'000'000)};
  }
  if (timerfd_settime(timer, TFD_TIMER_ABSTIME, &spec, nullptr) != 0) Fail("timerfd_settime");
}

}  // namespace

int PlayTargets(const Options& options) {
  if (options.pace) prctl(PR_SET_TIMERSLACK, 1UL);
  // Reserved: each session keeps a reference to its line.
  std::vector<Line> lines;
  lines.reserve(static_cast<std::size_t>(options.targets));
  std::vector<Target> targets(static_cast<std::size_t>(options.targets));
  for (Target& target : targets) {
    lines.push_back(Line::CreatePty());
    target.path = lines.back().PeerPath();
    std::printf("%s\n", target.path.c_str());
  }
  std::fflush(stdout);
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  if (epoll < 0 || timer < 0) Fail("epoll");
  const std::uint64_t timerKey = targets.size();
  Watch(epoll, EPOLL_CTL_ADD, timer, EPOLLIN, timerKey);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    targets[i].session = std::make_unique<Session>(options, lines[i]);
  }
  // Bytes due this soon go out with the ones due now: one wake-up serves many lines.
  const Clock::duration early = LineTime(1) / 10;
  std::size_t active = targets.size();
  // One step of a target's session; true once the target has ended (its status kept, a
  // failure said and counted as 3).
  const auto Step = [&](Target& target, const auto& step) {
    try {
      target.result = step();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "zagruzchik-sim: %s: %s\n", target.path.c_str(), error.what());
      target.result = 3;
    }
    if (!target.result) return false;
    --active;
    epoll_ctl(epoll, EPOLL_CTL_DEL, target.session->Fd(), nullptr);
    return true;
  };
  std::vector<epoll_event> events(targets.size() + 1);
  while (active > 0) {
    const Clock::time_point horizon = Clock::now() + early;
    std::optional<Clock::time_point> next;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      Target& target = targets[i];
      if (target.result) continue;
      // A line nobody holds yet reports a hang-up at every look: it is looked at again every
      // few milliseconds, and watched from its opening on.
      if (!target.started) {
        target.started = target.session->TryStart();
        if (!target.started) {
          const Clock::time_point again = Clock::now() + std::chrono::milliseconds(2);
          if (!next || again < *next) next = again;
          continue;
        }
        Watch(epoll, EPOLL_CTL_ADD, target.session->Fd(), EPOLLIN, i);
      }
      if (Step(target, [&] { return target.session->Advance(horizon); })) continue;
      // A line that refused bytes is watched for room too.
      if (target.session->Blocked() != target.watchingWrite) {
        target.watchingWrite = target.session->Blocked();
        Watch(epoll, EPOLL_CTL_MOD, target.session->Fd(),
              EPOLLIN | (target.watchingWrite ? EPOLLOUT : 0u), i);
      }
      const std::optional<Clock::time_point> at = target.session->WakeAt();
      if (at && (!next || *at < *next)) next = at;
    }
    if (active == 0) break;
    Arm(timer, next);
    const int n = epoll_wait(epoll, events.data(), static_cast<int>(events.size()), -1);
    if (n < 0 && errno != EINTR) Fail("epoll_wait");
    for (int k = 0; k < n; ++k) {
      const std::uint64_t key = events[static_cast<std::size_t>(k)].data.u64;
      if (key == timerKey) {
        std::uint64_t expirations;
        [[maybe_unused]] const ssize_t r = read(timer, &expirations, sizeof expirations);
        continue;
      }
      Target& target = targets[key];
      if (target.result || !(events[static_cast<std::size_t>(k)].events & ~EPOLLOUT)) continue;
      Step(target, [&] { return target.session->AfterWait(); });
    }
  }
  close(timer);
  close(epoll);
  int worst = 0;
  for (const Target& target : targets) worst = std::max(worst, target.result.value_or(3));
  return worst;
}

}  // namespace sim
