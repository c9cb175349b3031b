#pragma once

#include <functional>
#include <memory>
#include <string>

#include "logic/download_control.h"
#include "logic/download_page.h"
#include "logic/edition.h"
#include "base/input_wake.h"
#include "http/client.h"
#include "http/transport.h"
#include "download/held_body.h"
#include "download/installer_platform.h"

// The installer download controller: one attempt per DownloadAndRun, from choosing the
// installer to handing it to the shell and asking the launcher to end.
//
// The program owns one instance for the whole run, gives it to the setup form, whose install
// handlers start the attempts on it and have them reported on the form, and wires:
//   values    the edition and language, read when an attempt chooses its installer,
//   terminate the quit request (AppControl::Terminate),
//   pump      the handling of waiting window messages; it may run any handler nested inside
//             the attempt, including a further DownloadAndRun. An exception leaving the pump
//             fails the attempt, so the pump reports a handler's own errors itself.
// Tests also pass the platform, the host[:port] of the download server, the client's settings
// (for shorter time-outs) and the publisher whose signature an installer must carry (the build's
// START_INSTALLER_SIGNER otherwise; empty: installers are started unchecked).
class InstallerDownload final : public DownloadControl {
public:
  InstallerDownload(const SetupValues& values, std::function<void()> terminate,
                    std::function<void()> pump);
  InstallerDownload(const SetupValues& values, std::function<void()> terminate,
                    std::function<void()> pump, InstallerPlatform& platform, std::string host,
                    http::Settings settings, std::wstring requiredSigner = {});
  InstallerDownload(const InstallerDownload&) = delete;
  InstallerDownload& operator=(const InstallerDownload&) = delete;

  // Redirects followed, read time-out 180000 ms.
  static http::Settings DefaultSettings();

  // One attempt. A failure of the transfer, a body that is not a whole Windows program (nothing
  // is written then), a failure of saving or of the signature check ends in ShowConnectionError
  // and is not passed on; an installer that fails the signature check is deleted and not
  // started. Choosing the installer and creating the client and buffer lie outside that guard:
  // their errors (memory exhausted) reach the caller.
  // While an attempt runs, a further call only shows the download page. The bytes of a cut
  // transfer stay in memory, and the next attempt for the same installer goes on from them.
  void DownloadAndRun(DownloadPage& page) override;

private:
  void Launch(const std::wstring& target);

  const SetupValues& values_;
  std::function<void()> terminate_;
  std::function<void()> pump_;
  // What the pump handles, watched by every wait of the transfer: made on the thread that runs
  // the attempts, whose message queue it is on Windows.
  base::InputWake input_;
  // Shared by the attempts: a retry while a lookup hangs starts no second one.
  std::shared_ptr<http::NameLookup> lookup_ = std::make_shared<http::NameLookup>(net::ResolveIPv4);
  InstallerPlatform& platform_;
  std::string host_;
  http::Settings settings_;
  std::wstring requiredSigner_;
  bool running_ = false;
  HeldBody held_;
};
