#include "download/download_and_run.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "http/body_buffer.h"
#include "logic/edition.h"
#include "download/installer_image.h"
#include "download/installer_table.h"
#include "download/installer_trust.h"
#include "download/progress_pacer.h"
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

InstallerDownload::InstallerDownload(const SetupValues& values, std::function<void()> terminate,
                                     std::function<void()> pump)
    : InstallerDownload(values, std::move(terminate), std::move(pump), NativeInstallerPlatform(),
                        START_DOWNLOAD_HOST_A, DefaultSettings(), START_INSTALLER_SIGNER_W) {}

InstallerDownload::InstallerDownload(const SetupValues& values, std::function<void()> terminate,
                                     std::function<void()> pump, InstallerPlatform& platform,
                                     std::string host, http::Settings settings,
                                     std::wstring requiredSigner)
    : values_(values),
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

void InstallerDownload::DownloadAndRun(DownloadPage& page) {
  // The running attempt owns the one target file; a second one would race it for the file.
  if (running_) {
    page.ShowDownloadPage();
    return;
  }

  const InstallerEntry installer = ChooseInstaller(values_.SetupEdition, values_.UiLanguage);
  const std::string url = InstallerUrl(host_, installer);
  const std::wstring target = platform_.TempFolder() + std::wstring(installer.fileName);

  http::Events events;
  ProgressPacer progress(page.Progress());
  events.workBegin = [&progress](std::int64_t announced) { progress.Begin(announced); };
  events.work = [&progress](std::int64_t received) { progress.Work(received); };
  events.pump = [this, &progress] {
    progress.Flush();
    if (pump_) pump_();
  };
  if (pump_) events.input = &input_;
  http::HttpClient client(settings_, std::move(events), http::MakeSocketConnector(lookup_));
  BodyBuffer body;
  const std::optional<http::ResumePoint> from = held_.TakeFor(url, body);

  const RunningFlag running(running_);
  try {
    page.ShowDownloadPage();
    if (from)
      client.Continue(*from, body);
    else
      client.Get(url, body);
    progress.Flush();
    // A 204, a portal's or proxy's page, a cut body: nothing that is not a whole program is saved.
    if (!IsWholeProgram(body.data(), body.size())) throw NotAProgram();
    platform_.SaveFile(target, body.data(), body.size());
    // Written out, the bytes are not needed through the check and the launch.
    body.Release();
    Launch(target);
    terminate_();
  } catch (const std::exception&) {
    held_.Keep(url, body, client.resumable());
    progress.Flush();
    page.ShowConnectionError();
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
