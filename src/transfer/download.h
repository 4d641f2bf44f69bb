#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "transfer/image_source.h"
#include "transfer/packets.h"
#include "transfer/port.h"
#include "transfer/view.h"

namespace transfer {

enum class State : std::uint8_t {
  Idle = 0,
  WaitingForDevice = 1,
  Synchronising = 2,
  SendingBlock = 3,
  SettingAddress = 4,
};

// One download of an image into the boot loader, lock-step: a packet goes out, exactly one
// reply byte (after the line's echo of the packet) is checked, then the next packet is built.
// There is no time-out: a silent target leaves the download waiting.
//
// Threading: every call, Start and RxChar alike, comes from the user-interface thread and
// never overlaps another one, except that View::ShowInformation runs a nested event loop in
// which Start may run. The object locks nothing.
class Download {
 public:
  Download(Port& port, View& view, ImageSource& images);
  Download(const Download&) = delete;
  Download& operator=(const Download&) = delete;

  // The Start action. Throws when the image cannot be made or opened, or the port cannot
  // be opened; the transfer stays as it was at that point.
  void Start(const std::string& hexFileName);
  // The port's notification that count received bytes are waiting.
  void RxChar(std::int32_t count);
  // The port has closed itself because the line failed: the download ends as after a wrong
  // reply, but without the notice (the port reports the failure itself). Once the end command
  // has been written to the line the download has finished, however the line ends: a target
  // that restarts into its new firmware may take the line, and the echo, with it. allWritten
  // tells whether the port had written everything it was given. Returns whether the loss is
  // a failure to report.
  bool LineLost(bool allWritten);

  // For the tests and the window's state checks.
  State TransferState() const { return s_.TransferState; }
  std::uint8_t ExpectedReply() const { return s_.ExpectedReply; }
  bool HasImageStream() const { return s_.ImageStream != nullptr; }
  std::int32_t TxLength() const { return s_.TxLength; }
  std::int32_t RxCount() const { return s_.RxCount; }
  std::int32_t BlockCount() const { return s_.BlockCount; }
  std::uint16_t BlockAddress() const { return s_.BlockAddress; }
  bool LastBlock() const { return s_.LastBlock; }

 private:
  struct Fields {
    std::uint8_t ExpectedReply = 0;
    std::unique_ptr<transfer::ImageStream> ImageStream;
    TxBufferArray TxBuffer{};
    std::int32_t TxLength = 0;
    std::int32_t RxCount = 0;
    std::int32_t BlockCount = 0;
    std::uint16_t BlockAddress = 0;
    State TransferState = State::Idle;
    bool LastBlock = false;
    std::uint8_t Checksum = 0;
  };

  bool IsPortSelected() const;
  void ResetTransfer();
  bool BuildDataPacket();
  void BuildAddressPacket();
  void BuildSyncPacket();
  void BuildEndPacket();
  void CalcChecksum();
  void NextStep();
  void SendNextBlock();
  void BeginTransfer();
  void FinishTransfer();
  void SendPacket();
  void HintAwaited();
  void FilterEcho(std::uint8_t byte);
  void HandleReply(std::uint8_t byte);
  void RejectReply();
  void EndTransfer();
  void AbandonWait();

  Port& port_;
  View& view_;
  ImageSource& images_;
  Fields s_;
  // Counts the Starts, so that bytes read before a Start made inside a nested event loop
  // are not taken for the new download's hello.
  std::uint32_t starts_ = 0;
  // The end command is on its way: the download has ended once its echo is back.
  bool awaitingEndEcho_ = false;
};

}  // namespace transfer
