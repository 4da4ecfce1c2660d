#include "client/host_queue.h"

namespace client {

HostCommandQueue::Ticket HostCommandQueue::Submit(std::string command, std::string message_path,
                                                  std::int64_t now_ms, HostCommandPace pace) {
  const std::lock_guard lock(mutex_);
  const Ticket ticket = next_ticket_++;
  Entry& entry = entries_[ticket];
  entry.job = {ticket, std::move(command), std::move(message_path), now_ms + kConnectLimitMs, pace};
  return ticket;
}

std::optional<HostCommandResult> HostCommandQueue::Poll(Ticket ticket, std::int64_t now_ms) {
  const std::lock_guard lock(mutex_);
  const auto found = entries_.find(ticket);
  if (found == entries_.end() || found->second.given_up) return HostCommandResult::kNotSent;
  Entry& entry = found->second;
  switch (entry.stage) {
    case Stage::kDone: {
      const HostCommandResult result = entry.result;
      entries_.erase(found);
      return result;
    }
    case Stage::kSent:
      if (now_ms < entry.job.send_by_ms + kSentLimitMs) return std::nullopt;
      entry.given_up = true;
      return HostCommandResult::kTimedOut;
    case Stage::kQueued:
    case Stage::kOpening:
      if (now_ms < entry.job.send_by_ms) return std::nullopt;
      // Never taken: it goes at once. Being opened: the thread finds it
      // given up before it sends, and drops it when it finishes.
      if (entry.stage == Stage::kQueued) {
        entries_.erase(found);
      } else {
        entry.given_up = true;
      }
      return HostCommandResult::kNotSent;
  }
  return HostCommandResult::kNotSent;
}

std::optional<HostCommandQueue::Job> HostCommandQueue::Take() {
  const std::lock_guard lock(mutex_);
  if (in_progress_) return std::nullopt;
  for (auto& [ticket, entry] : entries_) {
    if (entry.stage != Stage::kQueued) continue;
    entry.stage = Stage::kOpening;
    in_progress_ = true;
    return entry.job;
  }
  return std::nullopt;
}

bool HostCommandQueue::StartSending(Ticket ticket, std::int64_t now_ms) {
  const std::lock_guard lock(mutex_);
  const auto found = entries_.find(ticket);
  if (found == entries_.end()) return false;
  Entry& entry = found->second;
  if (entry.given_up || entry.stage != Stage::kOpening || now_ms >= entry.job.send_by_ms) {
    return false;
  }
  entry.stage = Stage::kSent;
  return true;
}

void HostCommandQueue::Finish(Ticket ticket, HostCommandResult result) {
  const std::lock_guard lock(mutex_);
  in_progress_ = false;
  const auto found = entries_.find(ticket);
  if (found == entries_.end()) return;
  if (found->second.given_up) {
    entries_.erase(found);
    return;
  }
  found->second.stage = Stage::kDone;
  found->second.result = result;
}

HostCommandResult AwaitHostCommand(HostCommandQueue& queue, HostCommandQueue::Ticket ticket,
                                   CallerWait& wait) {
  for (;;) {
    if (const std::optional<HostCommandResult> result = queue.Poll(ticket, wait.NowMs())) {
      return *result;
    }
    wait.WaitAndServe(kServeIntervalMs);
  }
}

}  // namespace client
