#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/input_wake.h"

namespace http {

// Resolves a host name to an IPv4 address (host byte order); false when it cannot. It may block
// for as long as it likes: it runs on a thread of its own.
using Resolver = std::function<bool(const std::string& host, std::uint32_t& address)>;

// One lookup of one host, shared by the thread that runs it and whoever waits for it.
class LookupJob {
public:
  explicit LookupJob(std::string host) : host_(std::move(host)) {}

  const std::string& host() const { return host_; }
  // Set once the lookup has ended.
  const base::WakeEvent& finished() const { return finished_; }
  // After finished: the address, or false when the host could not be resolved.
  bool Result(std::uint32_t& address);
  void Finish(bool resolved, std::uint32_t address);

private:
  const std::string host_;
  base::WakeEvent finished_;
  std::mutex mutex_;
  bool resolved_ = false;
  std::uint32_t address_ = 0;
};

// Name lookups one at a time. A lookup that outlives the attempt that started it (a resolver
// that hangs) is left to end by itself; until it has, a later attempt joins it when it is for
// the same host, or waits for it, and no second lookup thread is started.
class NameLookup {
public:
  explicit NameLookup(Resolver resolve);
  NameLookup(const NameLookup&) = delete;
  NameLookup& operator=(const NameLookup&) = delete;

  // The lookup still running, whatever its host; otherwise a new lookup of host, or null when
  // its event or thread cannot be made (and nothing is left running for later attempts).
  std::shared_ptr<LookupJob> Start(const std::string& host);

private:
  Resolver resolve_;
  std::mutex mutex_;
  std::shared_ptr<LookupJob> running_;
};

}  // namespace http
