#pragma once

#include <exception>
#include <string>
#include <vector>

#include "ui/window_base_win.h"

// Keeps the message of every error a window handler let escape.
class MessageRecordingErrors : public HandlerErrors {
public:
  void Report(std::exception_ptr error) noexcept override {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      messages.push_back(e.what());
    } catch (...) {
      messages.push_back("?");
    }
  }
  std::vector<std::string> messages;
};
