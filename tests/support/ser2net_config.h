#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Debian's ser2net as the tests run it: a configuration of their own, one connection a line on
// a free loopback port, configured as the README advises unless asked for ser2net's defaults.
namespace ser2net_test {

inline constexpr const char* kSer2net = "/usr/sbin/ser2net";

inline bool Installed() {
  return ::access(kSer2net, X_OK) == 0;
}

// A loopback port nobody listens on now.
inline int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Whether something listens on the loopback port, as the kernel's table says: a probing
// connection would make ser2net open the line and the target say hello to nobody.
inline bool Listening(int port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, ":%04X", port);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    if (local.size() > 5 && local.substr(local.size() - 5) == wanted && state == "0A") return true;
  }
  return false;
}

struct Line {
  std::string device;
  bool rfc2217 = true;
  bool advised = true;  // chardelay off, Nagle off
};

struct Config {
  std::vector<int> ports;
  std::vector<std::string> urls;
  // ser2net's arguments after its path.
  std::vector<std::string> arguments;
};

// Writes folder/ser2net.yaml for the lines.
inline Config Write(const std::vector<Line>& lines, const std::string& folder) {
  Config result;
  std::ofstream config(folder + "/ser2net.yaml");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int port = FreePort();
    const Line& line = lines[i];
    config << "connection: &line" << i << "\n"
           << "    accepter: " << (line.rfc2217 ? "telnet(rfc2217)," : "")
           << (line.advised ? "tcp(nodelay)" : "tcp") << ",127.0.0.1," << port << "\n"
           << "    enable: on\n"
           << "    options:\n"
           << "      kickolduser: true\n"
           << (line.advised ? "      chardelay: false\n" : "") << "    connector: serialdev,"
           << line.device << ",10400n81,local\n\n";
    result.ports.push_back(port);
    result.urls.push_back(std::string(line.rfc2217 ? "rfc2217" : "socket") +
                          "://127.0.0.1:" + std::to_string(port));
  }
  result.arguments = {"-n", "-d", "-c", folder + "/ser2net.yaml", "-P", folder + "/ser2net.pid"};
  return result;
}

}  // namespace ser2net_test
