#include "search/query_plan.h"

#include "search/fold.h"
#include "search/tokens.h"
#include "thread/index_record.h"

namespace search {
namespace {

// How far past a date's end the ids of its messages may reach (PlanQuery).
constexpr std::int64_t kIdSlackSeconds = 86400;

using thread::QueryField;
using thread::QueryNode;

const char* ColumnsOf(QueryField field) {
  switch (field) {
    case QueryField::kAny:
      return "{sender subject unquoted quoted}";
    case QueryField::kFrom:
      return "{sender}";
    case QueryField::kTo:
      return "{recipients}";
    case QueryField::kSubject:
      return "{subject}";
    case QueryField::kBody:
      return "{unquoted quoted}";
    case QueryField::kNotQuoted:
      return "{unquoted}";
    case QueryField::kFile:
      return "{names}";
  }
  return "{sender subject unquoted quoted}";
}

// The FTS5 expression of a node that needs no row of the messages: a text, or a
// group or an OR of such nodes (a group's negated texts joined by NOT); nullopt for
// any other.
std::optional<std::string> TextOnly(const QueryNode& node) {
  if (node.negated) return std::nullopt;
  if (node.kind == QueryNode::Kind::kText) {
    std::string expression = LeafExpression(node);
    if (expression.empty()) return std::nullopt;
    return expression;
  }
  if (node.kind == QueryNode::Kind::kEither) {
    if (node.children.empty()) return std::nullopt;
    std::string out;
    for (const QueryNode& child : node.children) {
      const std::optional<std::string> part = TextOnly(child);
      if (!part) return std::nullopt;
      out += out.empty() ? "(" : " OR ";
      out += *part;
    }
    return out + ")";
  }
  if (node.kind != QueryNode::Kind::kAll) return std::nullopt;
  std::string positive;
  std::string negative;
  for (const QueryNode& child : node.children) {
    if (child.negated && child.kind == QueryNode::Kind::kText) {
      const std::string part = LeafExpression(child);
      if (part.empty()) return std::nullopt;  // the negation of a text every message holds
      negative += " NOT " + part;
      continue;
    }
    const std::optional<std::string> part = TextOnly(child);
    if (!part) return std::nullopt;
    positive += positive.empty() ? "(" : " AND ";
    positive += *part;
  }
  if (positive.empty()) return std::nullopt;
  return "(" + positive + ")" + negative + ")";
}

class Planner {
 public:
  Planner(const std::function<std::vector<std::int64_t>(const std::string&)>& folders_titled,
          QueryPlan& plan)
      : folders_titled_(folders_titled), plan_(plan) {}

  // A condition over the row `m` that holds where `node` does.
  std::string Condition(const QueryNode& node) {
    std::string condition = Unnegated(node);
    return node.negated ? "NOT " + condition : condition;
  }

 private:
  std::string Unnegated(const QueryNode& node) {
    switch (node.kind) {
      case QueryNode::Kind::kAll:
      case QueryNode::Kind::kEither: {
        if (node.children.empty()) return node.kind == QueryNode::Kind::kAll ? "1" : "0";
        const char* join = node.kind == QueryNode::Kind::kAll ? " AND " : " OR ";
        std::string out;
        for (const QueryNode& child : node.children) {
          out += out.empty() ? "(" : join;
          out += Condition(child);
        }
        return out + ")";
      }
      case QueryNode::Kind::kText: {
        std::string expression = LeafExpression(node);
        if (expression.empty()) return "1";
        plan_.texts.push_back(std::move(expression));
        return "m.id IN (SELECT rowid FROM words WHERE words MATCH ?" +
               std::to_string(plan_.texts.size() + 3) + " AND rowid >= ?2 AND rowid < ?3)";
      }
      case QueryNode::Kind::kDate: {
        std::string out = "(1";
        if (node.from_stamp) out += " AND m.stamp >= " + std::to_string(*node.from_stamp);
        if (node.before_stamp) out += " AND m.stamp < " + std::to_string(*node.before_stamp);
        return out + ")";
      }
      case QueryNode::Kind::kFlag:
        switch (node.flag) {
          case thread::QueryFlag::kUnread:
            return "(m.flags & " + std::to_string(thread::kUnreadFlag) + ") != 0";
          case thread::QueryFlag::kRead:
            return "(m.flags & " + std::to_string(thread::kUnreadFlag) + ") = 0";
          case thread::QueryFlag::kAttachment:
            return "(m.flags & " + std::to_string(thread::kAttachmentFlag) + ") != 0";
        }
        return "0";
      case QueryNode::Kind::kFolder: {
        std::string out = "m.folder IN (";
        bool first = true;
        for (const std::int64_t id : folders_titled_(Fold(node.text))) {
          if (!first) out += ',';
          out += std::to_string(id);
          first = false;
        }
        return out + ")";
      }
    }
    return "0";
  }

  const std::function<std::vector<std::int64_t>(const std::string&)>& folders_titled_;
  QueryPlan& plan_;
};

}  // namespace

std::string LeafExpression(const QueryNode& leaf) {
  const std::string text = TextExpression(Fold(leaf.text));
  if (text.empty()) return {};
  return std::string(ColumnsOf(leaf.field)) + " : (" + text + ")";
}

QueryPlan PlanQuery(
    const QueryNode& root,
    const std::function<std::vector<std::int64_t>(const std::string&)>& folders_titled,
    int slot_bits) {
  QueryPlan plan;
  Planner planner(folders_titled, plan);
  // The root's terms: texts lead; negated texts join them by NOT; the rest are checked
  // on the rows.
  std::vector<const QueryNode*> terms;
  if (root.kind == QueryNode::Kind::kAll && !root.negated) {
    for (const QueryNode& child : root.children) terms.push_back(&child);
  } else {
    terms.push_back(&root);
  }
  std::string positive;
  std::string negative;
  std::vector<const QueryNode*> rest;
  std::vector<const QueryNode*> negated_texts;
  for (const QueryNode* term : terms) {
    if (const std::optional<std::string> part = TextOnly(*term)) {
      positive += positive.empty() ? "(" : " AND ";
      positive += *part;
      continue;
    }
    if (term->negated && term->kind == QueryNode::Kind::kText && !LeafExpression(*term).empty()) {
      negated_texts.push_back(term);
      continue;
    }
    rest.push_back(term);
    // A date every hit must lie in bounds the ids: an id is never less than its
    // message's stamp shifted (mail_index.h). It may be more, when more messages than
    // one second's slots share a second; a day of slack past the end would take over a
    // million messages of one day, so the end bound is that much later.
    if (!term->negated && term->kind == QueryNode::Kind::kDate) {
      if (term->from_stamp) plan.least_id = std::max(plan.least_id, *term->from_stamp << slot_bits);
      if (term->before_stamp) {
        plan.most_id = std::min(plan.most_id, (*term->before_stamp + kIdSlackSeconds) << slot_bits);
      }
    }
  }
  if (!positive.empty()) {
    plan.lead = positive + ")";
    for (const QueryNode* term : negated_texts) plan.lead += " NOT " + LeafExpression(*term);
  } else {
    rest.insert(rest.end(), negated_texts.begin(), negated_texts.end());
  }
  plan.where = "1";
  for (const QueryNode* term : rest) plan.where += " AND " + planner.Condition(*term);
  return plan;
}

}  // namespace search
