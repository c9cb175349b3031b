#pragma once

// How the form starts a download attempt; the program wires it to the installer download, which
// reports back through DownloadPage.
class DownloadControl {
public:
  virtual ~DownloadControl() = default;
  // One attempt; it runs to its end inside the call, pumping window messages while it waits.
  virtual void DownloadAndRun() = 0;
};
