#include "transfer/download.h"

#include <algorithm>
#include <array>
#include <limits>

namespace transfer {
namespace {

constexpr char kNoPortChosen[] = "COM%d";
constexpr char kWrongReply[] = "Ошибка ответа";

}  // namespace

Download::Download(Port& port, View& view, ImageSource& images)
    : port_(port), view_(view), images_(images) {}

void Download::Start(const std::string& hexFileName) {
  if (!IsPortSelected()) return;
  ++starts_;
  awaitingEndEcho_ = false;
  s_.ImageStream.reset();
  try {
    s_.ImageStream = images_.OpenImage(hexFileName);
  } catch (...) {
    AbandonWait();
    throw;
  }
  const std::uint64_t totalParts = s_.ImageStream->Size() / kBlockSize;
  view_.SetProgressTotal(static_cast<std::uint32_t>(
      std::min<std::uint64_t>(totalParts, std::numeric_limits<std::uint32_t>::max())));
  view_.SetProgressParts(0);
  s_.BlockAddress = 0;
  s_.BlockCount = 0;
  s_.ExpectedReply = kDeviceHello;
  s_.TxLength = 0;
  s_.LastBlock = false;
  s_.TransferState = State::WaitingForDevice;
  if (!port_.Active()) port_.Open();
  HintAwaited();
  view_.ShowPrompt();
}

void Download::RxChar(std::int32_t count) {
  std::array<std::uint8_t, kRxChunk> received;
  const std::int32_t wanted = std::min(count, kRxChunk);
  if (wanted <= 0) return;
  const std::int32_t got = std::clamp(port_.ReadBuf(received.data(), wanted), 0, wanted);
  const std::uint32_t startsBefore = starts_;
  for (std::int32_t i = 0; i < got && starts_ == startsBefore; ++i) FilterEcho(received[i]);
  if (starts_ == startsBefore) HintAwaited();
}

// What the port is told the engine waits for: the rest of the packet's echo and, but for the
// end command, its reply byte; nothing in particular while it waits for the hello.
void Download::HintAwaited() {
  std::int32_t awaited = 0;
  if (awaitingEndEcho_) {
    awaited = s_.TxLength - s_.RxCount;
  } else if (s_.TransferState != State::Idle && s_.TransferState != State::WaitingForDevice) {
    awaited = s_.TxLength + 1 - s_.RxCount;
  }
  port_.Await(std::max(awaited, 0));
}

// A wait left without its image would send an empty one at the next hello.
void Download::AbandonWait() {
  if (s_.TransferState != State::WaitingForDevice) return;
  s_.TransferState = State::Idle;
  view_.HidePrompt();
}

bool Download::IsPortSelected() const {
  return port_.DeviceName() != kNoPortChosen;
}

void Download::ResetTransfer() {
  view_.SetProgressParts(0);
  s_.BlockAddress = 0;
  s_.BlockCount = 0;
  s_.TransferState = State::Idle;
  view_.HideProgress();
}

bool Download::BuildDataPacket() {
  s_.TxBuffer.fill(0);
  const std::size_t got =
      s_.ImageStream ? s_.ImageStream->Read(s_.TxBuffer.data() + kDataOffset, kBlockSize) : 0;
  PutDataHeader(s_.TxBuffer, s_.BlockAddress);
  ++s_.BlockCount;
  // Unsigned arithmetic: the 16-bit address wraps, the block count must not overflow.
  s_.BlockAddress = static_cast<std::uint16_t>(static_cast<std::uint32_t>(s_.BlockCount) *
                                               static_cast<std::uint32_t>(kBlockSize));
  view_.SetProgressParts(static_cast<std::uint32_t>(s_.BlockCount));
  s_.TxLength = kDataCommandLength;
  CalcChecksum();
  s_.ExpectedReply = s_.Checksum;
  return got == kBlockSize;
}

void Download::BuildAddressPacket() {
  s_.TxBuffer.fill(0);
  PutAddressCommand(s_.TxBuffer, s_.BlockAddress);
  s_.TxLength = kCommandLength;
  s_.ExpectedReply = kAcknowledge;
}

void Download::BuildSyncPacket() {
  s_.TxBuffer.fill(0);
  PutSyncCommand(s_.TxBuffer);
  s_.TxLength = kCommandLength;
  s_.ExpectedReply = kAcknowledge;
}

void Download::BuildEndPacket() {
  s_.TxBuffer.fill(0);
  PutEndCommand(s_.TxBuffer);
  s_.TxLength = kCommandLength;
}

void Download::CalcChecksum() {
  s_.Checksum = DataChecksum(s_.TxBuffer);
}

void Download::NextStep() {
  if (s_.LastBlock) {
    FinishTransfer();
  } else if (s_.BlockCount % 4 == 0) {
    BuildAddressPacket();
    s_.TransferState = State::SettingAddress;
  } else {
    SendNextBlock();
  }
}

void Download::SendNextBlock() {
  if (!BuildDataPacket()) s_.LastBlock = true;
  s_.TransferState = State::SendingBlock;
}

void Download::BeginTransfer() {
  view_.ShowProgress();
  view_.SetControlsEnabled(false);
  view_.HidePrompt();
  BuildSyncPacket();
  s_.TransferState = State::Synchronising;
}

void Download::FinishTransfer() {
  view_.HideProgress();
  view_.SetControlsEnabled(true);
  BuildEndPacket();
  s_.TransferState = State::Idle;
  s_.LastBlock = false;
  s_.ImageStream.reset();
  awaitingEndEcho_ = true;
}

// The hint before the bytes: their echo may come back before WriteBuf has returned.
void Download::SendPacket() {
  s_.RxCount = 0;
  HintAwaited();
  port_.WriteBuf(s_.TxBuffer.data(), s_.TxLength);
}

void Download::FilterEcho(std::uint8_t byte) {
  // Saturates: a chatty line while idle must not overflow the count.
  if (s_.RxCount < std::numeric_limits<std::int32_t>::max()) ++s_.RxCount;
  if (awaitingEndEcho_ && s_.RxCount >= s_.TxLength) {
    awaitingEndEcho_ = false;
    view_.DownloadEnded(Ending::Finished);
  }
  if (s_.RxCount > s_.TxLength) HandleReply(byte);
}

void Download::HandleReply(std::uint8_t byte) {
  if (s_.TransferState == State::Idle) return;
  if (s_.TransferState == State::WaitingForDevice && (byte == 0x00 || byte == 0xFF)) return;
  if (!ReplyMatches(byte, s_.ExpectedReply)) {
    RejectReply();
    return;
  }
  try {
    switch (s_.TransferState) {
      case State::WaitingForDevice:
        BeginTransfer();
        break;
      case State::Synchronising:
      case State::SendingBlock:
        NextStep();
        break;
      case State::SettingAddress:
        SendNextBlock();
        break;
      case State::Idle:
        return;
    }
  } catch (...) {
    // The image could not be read: the download ends as after a wrong reply, then the
    // failure is reported.
    EndTransfer();
    view_.DownloadEnded(Ending::ImageUnreadable);
    throw;
  }
  SendPacket();
}

// The window must be usable again once the message is dismissed, so the controls come
// back and the image is let go before the message opens.
void Download::RejectReply() {
  EndTransfer();
  view_.DownloadEnded(Ending::WrongReply);
  view_.ShowInformation(kWrongReply);
}

void Download::EndTransfer() {
  ResetTransfer();
  s_.ImageStream.reset();
  view_.SetControlsEnabled(true);
}

bool Download::LineLost(bool allWritten) {
  if (awaitingEndEcho_) {
    awaitingEndEcho_ = false;
    view_.DownloadEnded(allWritten ? Ending::Finished : Ending::LineLost);
    return !allWritten;
  }
  if (s_.TransferState == State::Idle) return true;
  // No hello can come through a closed port: the prompt would only mislead.
  const bool waiting = s_.TransferState == State::WaitingForDevice;
  EndTransfer();
  if (waiting) view_.HidePrompt();
  view_.DownloadEnded(Ending::LineLost);
  return true;
}

}  // namespace transfer
