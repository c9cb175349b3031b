#pragma once

#include <cstdint>

// The download page's progress bar as a transfer drives it.
class ProgressDisplay {
public:
  virtual ~ProgressDisplay() = default;
  // 0 or below: no announced length, the bar runs without a position.
  virtual void SetProgressMax(std::int32_t max) = 0;
  virtual void SetProgressPosition(std::int32_t position) = 0;
  // The pixels the bar fills when full; building the page if it is not yet built.
  virtual int ProgressWidth() = 0;
};

// The page operations a download attempt performs. The setup logic implements them on the
// download page tsh3; tests of the download controller record them.
class DownloadPage {
public:
  virtual ~DownloadPage() = default;
  // tsh3 in its running state: running message and progress bar shown, failure message and
  // retry button hidden.
  virtual void ShowDownloadPage() = 0;
  // Failure message and retry button shown; running message and progress bar hidden.
  virtual void ShowConnectionError() = 0;
  // Reached whichever page is shown, also while the bar is hidden.
  virtual ProgressDisplay& Progress() = 0;
};
