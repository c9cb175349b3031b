#include "download/download_and_run.h"

#include <chrono>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>

#include "http/body_buffer.h"
#include "logic/edition.h"
#include "download/installer_image.h"
#include "download/installer_table.h"
#include "download/installer_trust.h"
#include "config/build_options.h"

namespace {

class RunningFlag {
public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

private:
  bool& flag_;
};

constexpr std::int64_t kProgressLimit = std::numeric_limits<std::int32_t>::max();
// The shortest time between two progress updates of the page within one body. A window paints
// the bar on every update, which costs more than receiving a block on a fast line.
constexpr std::chrono::milliseconds kProgressFrame{30};

class NotAProgram : public std::runtime_error {
public:
  NotAProgram() : std::runtime_error("the server sent no whole Windows program") {}
};

class UntrustedInstaller : public std::runtime_error {
public:
  UntrustedInstaller() : std::runtime_error("the installer is not signed by the publisher") {}
};

// Deletes the saved installer on the way out unless the shell was given it.
class RemovedUnlessLaunched {
public:
  RemovedUnlessLaunched(InstallerPlatform& platform, const std::wstring& path)
      : platform_(platform), path_(path) {}
  ~RemovedUnlessLaunched() {
    if (!launched_) platform_.RemoveFile(path_);
  }
  RemovedUnlessLaunched(const RemovedUnlessLaunched&) = delete;
  RemovedUnlessLaunched& operator=(const RemovedUnlessLaunched&) = delete;

  void Launched() { launched_ = true; }

private:
  InstallerPlatform& platform_;
  const std::wstring& path_;
  bool launched_ = false;
};

}  // namespace

InstallerDownload::InstallerDownload(DownloadPage& page, const SetupValues& values,
                                     std::function<void()> terminate, std::function<void()> pump)
    : InstallerDownload(page, values, std::move(terminate), std::move(pump),
                        NativeInstallerPlatform(), START_DOWNLOAD_HOST_A, DefaultSettings(),
                        START_INSTALLER_SIGNER_W) {}

InstallerDownload::InstallerDownload(DownloadPage& page, const SetupValues& values,
                                     std::function<void()> terminate, std::function<void()> pump,
                                     InstallerPlatform& platform, std::string host,
                                     http::Settings settings, std::wstring requiredSigner)
    : page_(page),
      values_(values),
      terminate_(std::move(terminate)),
      pump_(std::move(pump)),
      platform_(platform),
      host_(std::move(host)),
      settings_(settings),
      requiredSigner_(std::move(requiredSigner)) {}

http::Settings InstallerDownload::DefaultSettings() {
  http::Settings settings;
  settings.followRedirects = true;
  settings.readTimeoutMs = 180000;
  return settings;
}

void InstallerDownload::DownloadAndRun() {
  // The running attempt owns the one target file; a second one would race it for the file.
  if (running_) {
    page_.ShowDownloadPage();
    return;
  }

  const InstallerEntry installer = ChooseInstaller(values_.SetupEdition, values_.UiLanguage);
  const std::string url = InstallerUrl(host_, installer);
  const std::wstring target = platform_.TempFolder() + std::wstring(installer.fileName);

  http::Events events;
  events.workBegin = [this](std::int64_t announced) { IdHTTP1WorkBegin(announced); };
  events.work = [this](std::int64_t received) { IdHTTP1Work(received); };
  events.pump = [this] {
    ShowPendingProgress();
    if (pump_) pump_();
  };
  if (pump_) events.input = &input_;
  http::HttpClient client(settings_, std::move(events), http::MakeSocketConnector(lookup_));
  BodyBuffer body;

  const RunningFlag running(running_);
  progressShift_ = 0;
  try {
    page_.ShowDownloadPage();
    client.Get(url, body);
    ShowPendingProgress();
    // A 204, a portal's or proxy's page, a cut body: nothing that is not a whole program is saved.
    if (!IsWholeProgram(body.data(), body.size())) throw NotAProgram();
    platform_.SaveFile(target, body.data(), body.size());
    Launch(target);
    terminate_();
  } catch (const std::exception&) {
    ShowPendingProgress();
    page_.ShowConnectionError();
  }
}

void InstallerDownload::Launch(const std::wstring& target) {
  if (requiredSigner_.empty()) {
    platform_.ShellOpen(target);
    return;
  }
  RemovedUnlessLaunched removed(platform_, target);
  // Held from the check until the shell has started it, then released before a removal.
  const std::unique_ptr<HeldInstaller> held = platform_.HoldFile(target);
  if (!InstallerMayRun(requiredSigner_, held->Signature())) throw UntrustedInstaller();
  platform_.ShellOpen(target);
  removed.Launched();
}

std::int32_t InstallerDownload::Scaled(std::int64_t value) const {
  if (value <= 0) return 0;
  const std::int64_t scaled = value >> progressShift_;
  return static_cast<std::int32_t>(scaled > kProgressLimit ? kProgressLimit : scaled);
}

void InstallerDownload::IdHTTP1WorkBegin(std::int64_t announced) {
  progressShift_ = 0;
  while (announced > 0 && (announced >> progressShift_) > kProgressLimit) ++progressShift_;
  progressMax_ = Scaled(announced);
  pending_.reset();
  firstOfBody_ = true;
  page_.SetProgressMax(progressMax_);
}

// The first and the last position of a body and a step back are shown at once, others at most
// once per frame; one held back is shown at the next pump, so the bar never lags for longer
// than the transfer goes without pumping.
void InstallerDownload::IdHTTP1Work(std::int64_t received) {
  const std::int32_t position = Scaled(received);
  const auto now = std::chrono::steady_clock::now();
  if (firstOfBody_ || (progressMax_ > 0 && position >= progressMax_) || position < shown_ ||
      now - shownAt_ >= kProgressFrame) {
    ShowProgress(position);
  } else {
    pending_ = position;
  }
}

void InstallerDownload::ShowProgress(std::int32_t position) {
  firstOfBody_ = false;
  pending_.reset();
  shown_ = position;
  shownAt_ = std::chrono::steady_clock::now();
  page_.SetProgressPosition(position);
}

void InstallerDownload::ShowPendingProgress() {
  if (pending_) ShowProgress(*pending_);
}
