#include "tools/mkmailbox/thread_plan.h"

#include <algorithm>
#include <numeric>

#include "tools/mkmailbox/sample_text.h"

namespace mkmailbox {
namespace {

constexpr std::size_t kMaxOpenThreads = 6;
constexpr std::uint32_t kMaxThreadSize = 7;

struct OpenThread {
  std::vector<std::uint32_t> members;
  std::uint32_t target_size = 0;
};

Charset PickCharset(Random& rng) {
  const std::uint32_t roll = rng.Below(100);
  if (roll < 45) return Charset::kIso2022Jp;
  if (roll < 65) return Charset::kShiftJis;
  if (roll < 80) return Charset::kEucJp;
  if (roll < 95) return Charset::kUtf8;
  return Charset::kUsAscii;
}

void StartThread(Random& rng, std::uint32_t index, PlannedMessage& message,
                 std::vector<OpenThread>& open) {
  message.subject =
      static_cast<std::uint8_t>(rng.Below(static_cast<std::uint32_t>(SubjectCount())));
  const std::uint32_t size = 1 + rng.Below(kMaxThreadSize);
  if (size == 1) return;
  open.push_back(OpenThread{{index}, size});
  if (open.size() > kMaxOpenThreads) open.erase(open.begin());
}

void AnswerInThread(Random& rng, std::uint32_t index, std::vector<PlannedMessage>& messages,
                    std::vector<OpenThread>& open) {
  const std::uint32_t which = rng.Below(static_cast<std::uint32_t>(open.size()));
  OpenThread& thread = open[which];
  const std::uint32_t parent =
      rng.Percent(50)
          ? thread.members.back()
          : thread.members[rng.Below(static_cast<std::uint32_t>(thread.members.size()))];
  PlannedMessage& message = messages[index];
  const PlannedMessage& answered = messages[parent];
  message.parent = static_cast<std::int32_t>(parent);
  message.subject = answered.subject;
  message.reply_marks =
      rng.Percent(30) ? static_cast<std::uint8_t>(std::min(answered.reply_marks + 1, 3)) : 1;
  message.upper_reply_mark = rng.Percent(10);
  thread.members.push_back(index);
  if (thread.members.size() >= thread.target_size) open.erase(open.begin() + which);
}

// Lets some replies arrive before the message they answer: the reply takes the
// parent's place in the index and the parent arrives where the reply would
// have. Date headers stay in writing order (the parent was delayed in transit).
void DelaySomeParents(Random& rng, FolderPlan& plan, const std::vector<std::uint32_t>& slot_time) {
  const std::uint32_t count = static_cast<std::uint32_t>(plan.messages.size());
  std::vector<std::uint32_t> position(count);
  std::iota(position.begin(), position.end(), 0u);
  std::vector<bool> moved(count, false);
  for (std::uint32_t i = 0; i < count; ++i) {
    PlannedMessage& reply = plan.messages[i];
    if (reply.parent < 0) continue;
    const auto parent = static_cast<std::uint32_t>(reply.parent);
    if (moved[i] || moved[parent] || !rng.Percent(8)) continue;
    const std::uint32_t early = position[parent];
    const std::uint32_t late = position[i];
    plan.by_arrival[early] = i;
    plan.by_arrival[late] = parent;
    position[i] = early;
    position[parent] = late;
    moved[i] = moved[parent] = true;
    reply.date = slot_time[early] - 5;
    plan.messages[parent].date = slot_time[early] - 50;
  }
}

}  // namespace

FolderPlan PlanFolder(Random& rng, std::uint32_t count, std::uint32_t start_time,
                      const PlanStyle& style) {
  FolderPlan plan;
  plan.messages.resize(count);
  plan.by_arrival.resize(count);
  std::iota(plan.by_arrival.begin(), plan.by_arrival.end(), 0u);
  std::vector<std::uint32_t> slot_time(count);
  std::vector<OpenThread> open;
  std::uint32_t time = start_time;
  for (std::uint32_t i = 0; i < count; ++i) {
    time += 60 + rng.Below(1800);
    slot_time[i] = time;
    PlannedMessage& message = plan.messages[i];
    message.date = time - 5 - rng.Below(45);
    message.variant = static_cast<std::uint32_t>(rng.Next());
    message.sender =
        static_cast<std::uint8_t>(rng.Below(static_cast<std::uint32_t>(PersonCount())));
    message.charset = static_cast<std::uint8_t>(PickCharset(rng));
    message.has_message_id = !rng.Percent(6);
    message.multipart = rng.Percent(style.multipart_percent);
    if (open.empty() || rng.Percent(30)) {
      StartThread(rng, i, message, open);
    } else {
      AnswerInThread(rng, i, plan.messages, open);
    }
  }
  DelaySomeParents(rng, plan, slot_time);
  const std::uint32_t recent_from = count - count / 5;
  for (std::uint32_t slot = 0; slot < count; ++slot) {
    PlannedMessage& message = plan.messages[plan.by_arrival[slot]];
    message.arrival = slot;
    message.date_stamp = slot_time[slot];
    message.unread =
        rng.Percent(slot >= recent_from ? style.unread_recent_percent : style.unread_old_percent);
  }
  return plan;
}

}  // namespace mkmailbox
