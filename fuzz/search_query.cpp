// Any bytes as a query: the parse never fails to answer, an error is no query and is
// its own explanation, and a query read is read the same way again, visits as many
// leaves as it holds, and evaluates without a crash.

#include "thread/search_query.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::size_t Leaves(const thread::QueryNode& node) {
  if (node.kind != thread::QueryNode::Kind::kAll && node.kind != thread::QueryNode::Kind::kEither) {
    return 1;
  }
  std::size_t n = 0;
  for (const thread::QueryNode& child : node.children) n += Leaves(child);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const thread::QueryClock clock{{2026, 3, 31}, [](const thread::CivilDay& day) {
                                   return std::int64_t{day.year} * 10000 + day.month * 100 +
                                          day.day;
                                 }};
  const thread::ParsedQuery query = thread::ParseQuery(text, clock);
  const std::string explained = thread::ExplainQuery(query);
  if (!query.Ok()) {
    Check(query.Empty() && explained == query.error);
    return 0;
  }
  Check(explained.empty() == query.root.children.empty());
  Check(thread::ExplainQuery(thread::ParseQuery(text, clock)) == explained);
  std::size_t visited = 0;
  thread::ForEachLeaf(query.root, [&](const thread::QueryNode& leaf, bool) {
    Check(leaf.kind != thread::QueryNode::Kind::kAll &&
          leaf.kind != thread::QueryNode::Kind::kEither);
    Check(leaf.kind != thread::QueryNode::Kind::kText || !leaf.text.empty());
    if (leaf.kind == thread::QueryNode::Kind::kDate) {
      Check(leaf.first_day || leaf.last_day);
      Check(!leaf.from_stamp || !leaf.before_stamp || *leaf.from_stamp < *leaf.before_stamp);
    }
    ++visited;
  });
  Check(visited == Leaves(query.root));
  bool flip = false;
  thread::Evaluate(query.root, [&](const thread::QueryNode&) { return flip = !flip; });
  return 0;
}
