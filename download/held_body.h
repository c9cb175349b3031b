#pragma once

#include <optional>
#include <string>

#include "http/body_buffer.h"
#include "http/resume.h"

// The bytes of a failed attempt that can go on, kept in memory with the installer's URL until
// the next attempt takes them or, choosing another installer, drops them. Nothing of them is
// written to disk, and nothing outlives the process.
class HeldBody {
public:
  // After a failed transfer: keeps body when the transfer left a point to go on from.
  void Keep(const std::string& installerUrl, BodyBuffer& body,
            const std::optional<http::ResumePoint>& point);
  // Before an attempt: the bytes of this installer moved into body, with where they go on;
  // those of another installer are released.
  std::optional<http::ResumePoint> TakeFor(const std::string& installerUrl, BodyBuffer& body);

private:
  std::string url_;
  std::optional<http::ResumePoint> point_;
  BodyBuffer body_;
};
