#pragma once
// The plan of one folder's messages: who answers whom, in which order they
// were written and in which order they arrived, and the per-message choices
// (subject, sender, body character set, attachment, unread). The message texts
// and the index are written from the plan (message_text.h, folder_writer.h).
//
// Threads are interleaved as on a real list: several conversations are open at
// once and each new message either starts one or answers a message of an open
// one. A few replies arrive before the message they answer, and a few
// messages carry no Message-ID.

#include <cstdint>
#include <vector>

#include "tools/mkmailbox/random.h"

namespace mkmailbox {

struct PlanStyle {
  std::uint32_t unread_recent_percent = 0;  // unread share among the newest fifth
  std::uint32_t unread_old_percent = 0;     // unread share among the others
  std::uint32_t multipart_percent = 0;      // share of messages with an attachment
};

struct PlannedMessage {
  std::int32_t parent = -1;       // index of the answered message; -1 starts a thread
  std::uint32_t arrival = 0;      // position in the folder index
  std::uint32_t date = 0;         // Date header, seconds since 1970
  std::uint32_t date_stamp = 0;   // arrival time, the index's date stamp
  std::uint32_t variant = 0;      // random bits choosing header layouts and body lines
  std::uint8_t subject = 0;       // SubjectAt index, shared by a whole thread
  std::uint8_t reply_marks = 0;   // how many "Re: " precede the subject
  std::uint8_t sender = 0;        // PersonAt index
  std::uint8_t charset = 0;       // Charset of the body
  bool upper_reply_mark = false;  // the first mark is written "RE: "
  bool has_message_id = true;
  bool multipart = false;
  bool unread = false;
};

struct FolderPlan {
  std::vector<PlannedMessage> messages;   // in the order they were written
  std::vector<std::uint32_t> by_arrival;  // indices into messages, in index order
};

// Plans `count` messages; the first arrives shortly after `start_time`
// (seconds since 1970) and each later one 1 to 31 minutes after the one
// before, so date stamps rise strictly in index order.
FolderPlan PlanFolder(Random& rng, std::uint32_t count, std::uint32_t start_time,
                      const PlanStyle& style);

}  // namespace mkmailbox
