#include "ui/behaviour/form1_behaviour.h"

#include "sys/compare_text.h"
#include "transfer/line_time.h"
#include "ui/behaviour/message_texts.h"

#include <algorithm>
#include <system_error>

#include "sys/native_file.h"
#include "sys/paths.h"

namespace ui {

namespace {

constexpr char kPortSection[] = "PortName";
constexpr char kFileSection[] = "FileName";
constexpr char kNameKey[] = "Name";
// Beside the port's name, what stays of it when a re-plugged adapter gets another name.
constexpr char kIdentityKey[] = "Identity";
constexpr char kDefaultPort[] = "COM1";
// Ports on terminal servers or ser2net, one a key, offered after the discovered ones.
constexpr char kNetworkSection[] = "NetworkPorts";

}  // namespace

std::string FileNamePart(const std::string& path) {
  const auto slash = path.find_last_of(sys::kPathSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

TForm1Behaviour::TForm1Behaviour(TForm1Controls& controls, serial::TPortDevice& port,
                                 transfer::ImageSource& images, TSettingsStore settings,
                                 std::function<std::vector<std::string>()> listPorts,
                                 std::function<std::string(const std::string&)> portIdentity)
    : Comm1(port),
      RegIniFile1(std::move(settings)),
      controls_(controls),
      images_(images),
      listPorts_(std::move(listPorts)),
      portIdentity_(std::move(portIdentity)) {}

TForm1Behaviour::~TForm1Behaviour() = default;

void TForm1Behaviour::FormCreate() {
  transfer_ = std::make_unique<transfer::Download>(Comm1, *this, images_);
  BuildPortMenu();
  LoadPortSetting();
  LoadFileSetting();
  controls_.SetCaption(FileNamePart(HexFileName));
}

void TForm1Behaviour::FormDestroy() {
  transfer_.reset();
  if (Comm1.Active()) Comm1.Close();
}

void TForm1Behaviour::BuildPortMenu() {
  std::vector<std::string> names = listPorts_();
  sys::SortTexts(names);
  for (std::string& port : RegIniFile1.ReadValues(kNetworkSection)) {
    port.erase(0, port.find_first_not_of(" \t"));
    port.erase(port.find_last_not_of(" \t") + 1);
    if (!port.empty() && std::find(names.begin(), names.end(), port) == names.end())
      names.push_back(std::move(port));
  }
  portMenuItems_ = std::move(names);
  controls_.SetPortMenu(portMenuItems_);
}

void TForm1Behaviour::LoadPortSetting() {
  if (!RegIniFile1.HasSection(kPortSection)) {
    if (controls_.Enabled(Control::ChangeComPort)) AChangeComPortExecute();
    return;
  }
  std::string value = RegIniFile1.ReadValue(kPortSection, kNameKey, kDefaultPort);
  if (std::find(portMenuItems_.begin(), portMenuItems_.end(), value) == portMenuItems_.end())
    value = NameOfRememberedAdapter();
  if (!value.empty()) {
    Comm1.SetDeviceName(value);
    controls_.SetPortCaption(value);
  } else if (controls_.Enabled(Control::ChangeComPort)) {
    AChangeComPortExecute();
  }
}

// The remembered adapter under the name it has now (plugged into another socket); empty when
// it is not here or nothing but its name was remembered.
std::string TForm1Behaviour::NameOfRememberedAdapter() const {
  const std::string identity = RegIniFile1.ReadValue(kPortSection, kIdentityKey, "");
  if (identity.empty() || !portIdentity_) return {};
  for (const std::string& name : portMenuItems_) {
    if (portIdentity_(name) == identity) return name;
  }
  return {};
}

void TForm1Behaviour::LoadFileSetting() {
  if (!RegIniFile1.HasSection(kFileSection)) {
    if (controls_.Enabled(Control::SelectFile)) ASelectFileExecute();
    return;
  }
  const std::string value = RegIniFile1.ReadValue(kFileSection, kNameKey, "");
  // A folder stored there is no HEX file either.
  const sys::Kind kind = value.empty() ? sys::Kind::Missing : sys::KindOf(value, true);
  if (kind == sys::Kind::File || kind == sys::Kind::Other) {
    HexFileName = value;
    controls_.SetEnabled(Control::Begin, true);
    // Started in a system program folder (an installed program's shortcut): the image goes
    // beside the HEX file, as after a choice, not where only an installer may write.
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!error && sys::IsSystemProgramFolder(sys::Utf8Of(current)))
      std::filesystem::current_path(sys::PathOf(value).parent_path(), error);
  } else if (controls_.Enabled(Control::SelectFile)) {
    ASelectFileExecute();
  }
}

void TForm1Behaviour::ASelectFileExecute() {
  const FileChoice choice = controls_.ChooseFile();
  // The image file goes into the current directory: beside the HEX file after a choice, also
  // one typed as a full path into another folder; the folder shown when nothing was chosen.
  const std::string folder =
      choice.confirmed ? sys::Utf8Of(sys::PathOf(choice.file).parent_path()) : choice.shownFolder;
  if (!folder.empty()) {
    // A folder gone meanwhile keeps the current one, as the dialog itself would.
    std::error_code ignored;
    std::filesystem::current_path(sys::PathOf(folder), ignored);
  }
  if (!choice.confirmed) return;
  HexFileName = choice.file;
  RegIniFile1.WriteValue(kFileSection, kNameKey, HexFileName);
  controls_.SetEnabled(Control::Begin, true);
}

void TForm1Behaviour::PortMenuItemClick(const std::string& name) {
  if (Comm1.Active()) Comm1.Close();
  Comm1.SetDeviceName(name);
  Comm1.Open();
  controls_.SetPortCaption(Comm1.DeviceName());
  RegIniFile1.WriteValue(kPortSection, kNameKey, Comm1.DeviceName());
  if (portIdentity_) RegIniFile1.WriteValue(kPortSection, kIdentityKey, portIdentity_(name));
}

void TForm1Behaviour::AExitExecute() {
  controls_.CloseWindow();
}

void TForm1Behaviour::ABeginExecute() {
  // A download of more than an hour (a HEX file for another memory map, say) is asked about
  // first; No leaves everything as it was.
  if (Comm1.DeviceName() != "COM%d") {
    if (const std::optional<transfer::ImageExtent> extent = images_.Measure(HexFileName)) {
      const double seconds = transfer::LineSeconds(extent->size);
      if (seconds > kLongDownloadSeconds && !controls_.AskYesNo(LongDownloadQuestion(*extent)))
        return;
    }
  }
  transfer_->Start(HexFileName);
}

void TForm1Behaviour::Comm1RxChar(std::int32_t count) {
  // A notification can still come in while the window is being destroyed.
  if (!transfer_) return;
  // Failures go on to the port's error report, the catch point of every notification.
  transfer_->RxChar(count);
}

bool TForm1Behaviour::Comm1LineLost(bool allWritten) {
  return transfer_ ? transfer_->LineLost(allWritten) : true;
}

void TForm1Behaviour::AChangeComPortExecute() {
  DeferredMessage = kPortNotDefinedText;
  controls_.Post([this] { ShowDeferredMessage(); });
}

void TForm1Behaviour::ShowDeferredMessage() {
  controls_.ShowInformation(DeferredMessage);
  DeferredMessage.clear();
}

void TForm1Behaviour::SetProgressTotal(std::uint32_t totalParts) {
  controls_.SetProgressTotal(totalParts);
}
void TForm1Behaviour::SetProgressParts(std::uint32_t partsComplete) {
  controls_.SetProgressParts(partsComplete);
}
void TForm1Behaviour::ShowProgress() {
  controls_.ShowProgress();
}
void TForm1Behaviour::HideProgress() {
  controls_.HideProgress();
}

void TForm1Behaviour::SetControlsEnabled(bool enabled) {
  controls_.SetEnabled(Control::Begin, enabled);
  controls_.SetEnabled(Control::SelectFile, enabled);
  controls_.SetEnabled(Control::PortButton, enabled);
}

void TForm1Behaviour::ShowPrompt() {
  controls_.ShowPrompt();
}
void TForm1Behaviour::HidePrompt() {
  controls_.HidePrompt();
}
void TForm1Behaviour::ShowInformation(const std::string& text) {
  controls_.ShowInformation(text);
}

}  // namespace ui
