#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal whose slave side the port under test opens by path; the test plays the far
// end on the master side.
class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  // The slave descriptor openpty gave; the port opens its own.
  int Slave() const { return slave_; }

  void Send(const std::vector<std::uint8_t>& bytes);
  // Reads until n bytes came or timeout passed; returns what came.
  std::vector<std::uint8_t> Receive(std::size_t n, std::chrono::milliseconds timeout);
  // Hangs the line up, as a pulled-out adapter does.
  void CloseMaster();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed = 0);
