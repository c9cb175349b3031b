#pragma once

#include "logic/download_page.h"

// How the form starts a download attempt; the program gives the form the installer download.
class DownloadControl {
public:
  virtual ~DownloadControl() = default;
  // One attempt, reported on page; it runs to its end inside the call, pumping window messages
  // while it waits.
  virtual void DownloadAndRun(DownloadPage& page) = 0;
};
