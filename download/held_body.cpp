#include "download/held_body.h"

#include <utility>

void HeldBody::Keep(const std::string& installerUrl, BodyBuffer& body,
                    const std::optional<http::ResumePoint>& point) {
  if (!point) return;
  url_ = installerUrl;
  point_ = point;
  body_ = std::move(body);
}

std::optional<http::ResumePoint> HeldBody::TakeFor(const std::string& installerUrl,
                                                   BodyBuffer& body) {
  std::optional<http::ResumePoint> point = std::exchange(point_, std::nullopt);
  BodyBuffer held = std::move(body_);
  if (!point || url_ != installerUrl) return std::nullopt;
  body = std::move(held);
  return point;
}
