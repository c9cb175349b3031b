#pragma once

#include <stdexcept>
#include <string>

namespace pictures {

// Any picture that cannot be decoded, scaled or turned into a bitmap.
class PictureError : public std::runtime_error {
public:
  explicit PictureError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace pictures
