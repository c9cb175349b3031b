#include "http/name_lookup.h"

#include <system_error>
#include <thread>

namespace http {

bool LookupJob::Result(std::uint32_t& address) {
  std::lock_guard lock(mutex_);
  address = address_;
  return resolved_;
}

void LookupJob::Finish(bool resolved, std::uint32_t address) {
  {
    std::lock_guard lock(mutex_);
    resolved_ = resolved;
    address_ = address;
  }
  finished_.Set();
}

NameLookup::NameLookup(Resolver resolve) : resolve_(std::move(resolve)) {}

std::shared_ptr<LookupJob> NameLookup::Start(const std::string& host) {
  std::lock_guard lock(mutex_);
  if (running_ && !running_->finished().IsSet()) return running_;
  auto job = std::make_shared<LookupJob>(host);
  if (!job->finished().valid()) return nullptr;
  try {
    std::thread([job, resolve = resolve_] {
      std::uint32_t address = 0;
      bool resolved = resolve(job->host(), address);
      job->Finish(resolved, address);
    }).detach();
  } catch (const std::system_error&) {
    return nullptr;
  }
  running_ = job;
  return job;
}

}  // namespace http
