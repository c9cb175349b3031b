#pragma once

// Plays the server side from bytes in memory, for the parser-level tests and the fuzzer:
// connection i reads inputs[i] (nothing past the last), pieceSize bytes per read, then the
// stream's `generated` bytes 'b', made up as they are read: a gigabyte needs no second one.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "http/transport.h"

namespace testsupport {

struct ScriptedStream {
  std::vector<std::string> inputs;
  std::size_t pieceSize = 1;
  bool endWithReset = false;  // what the client sees once an input is used up
  int connects = 0;
  std::vector<std::string> sent;
  std::uint64_t generated = 0;
};

class ScriptedConnector final : public http::Connector {
public:
  explicit ScriptedConnector(std::shared_ptr<ScriptedStream> stream) : stream_(std::move(stream)) {}

  std::unique_ptr<http::Connection> Connect(const std::string&, std::uint16_t,
                                            const http::Settings&, base::PumpPacer&) override {
    auto index = static_cast<std::size_t>(stream_->connects++);
    return std::make_unique<Conn>(
        stream_, index < stream_->inputs.size() ? stream_->inputs[index] : std::string());
  }

private:
  class Conn final : public http::Connection {
  public:
    Conn(std::shared_ptr<ScriptedStream> s, std::string input)
        : s_(std::move(s)), input_(std::move(input)) {}
    // A request arrives in one piece or several; each new request starts a new entry.
    net::IoResult Send(const char* data, std::size_t size) override {
      if (requestDone_ || s_->sent.empty()) s_->sent.emplace_back();
      s_->sent.back().append(data, size);
      requestDone_ = s_->sent.back().size() >= 4 &&
                     s_->sent.back().compare(s_->sent.back().size() - 4, 4, "\r\n\r\n") == 0;
      return {net::IoStatus::Data, size};
    }
    net::IoResult Receive(char* dst, std::size_t size) override {
      if (pos_ >= input_.size() && s_->generated > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, s_->generated));
        std::memset(dst, 'b', n);
        s_->generated -= n;
        return {net::IoStatus::Data, n};
      }
      if (pos_ >= input_.size())
        return {s_->endWithReset ? net::IoStatus::Reset : net::IoStatus::Closed, 0};
      std::size_t n =
          std::min({size, std::max<std::size_t>(s_->pieceSize, 1), input_.size() - pos_});
      std::memcpy(dst, input_.data() + pos_, n);
      pos_ += n;
      return {net::IoStatus::Data, n};
    }
    base::WaitResult Wait(net::Want, int, const base::InputWake*) override {
      return base::WaitResult::Ready;
    }

  private:
    std::shared_ptr<ScriptedStream> s_;
    std::string input_;
    std::size_t pos_ = 0;
    bool requestDone_ = true;
  };

  std::shared_ptr<ScriptedStream> stream_;
};

}  // namespace testsupport
