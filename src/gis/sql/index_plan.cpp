#include "gis/sql/index_plan.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gis/data/sorted_index.h"
#include "gis/data/time_values.h"
#include "gis/sql/like_pattern.h"

namespace chronova::gis::sql {

namespace {

using Range = std::pair<size_t, size_t>;

// How a node is answered: a leaf by ranges of one index, AND by its cheapest child, OR by all children.
struct Plan {
    const BoundNode* node = nullptr;
    const SortedIndex* index = nullptr;
    const TimeValues* times = nullptr; // instead of index: a field read as times
    std::vector<Range> ranges;
    bool exact = true; // false when the ranges hold more than the answer (a LIKE prefix)
    std::vector<Plan> children;
    size_t count = 0; // rows the plan reads from indexes
};

bool IsNumberStorage(const Column& column) {
    return column.StorageKind() == Column::Storage::Integer || column.StorageKind() == Column::Storage::Real;
}

// Whether the index of a field answers comparisons with a constant: numbers with numbers or dates, texts
// with texts (byte order in both).
bool IndexSuits(const BoundOperand& field, const Value& constant) {
    if (field.times != nullptr) {
        return constant.kind == Value::Kind::Date;
    }
    if (IsNumberStorage(*field.column)) {
        return constant.IsNumeric();
    }
    return field.column->StorageKind() == Column::Storage::Text && constant.kind == Value::Kind::Text;
}

// The ranges of `op constant` from a function that gives the range between optional bounds.
template <typename RangeBetween>
void AddComparisonRanges(CompareOp op, const RangeBetween& add) {
    switch (op) {
    case CompareOp::Equal:
        add(true, true, true, true);
        break;
    case CompareOp::NotEqual:
        add(false, false, true, false);
        add(true, false, false, false);
        break;
    case CompareOp::Less:
        add(false, false, true, false);
        break;
    case CompareOp::LessEqual:
        add(false, false, true, true);
        break;
    case CompareOp::Greater:
        add(true, false, false, false);
        break;
    case CompareOp::GreaterEqual:
        add(true, true, false, false);
        break;
    }
}

// The positions in the time order of the rows whose time is `op constant`.
void AddTimeRanges(const TimeValues& times, CompareOp op, const Value& constant, std::vector<Range>& ranges) {
    AddComparisonRanges(op, [&](bool has_lower, bool lower_inclusive, bool has_upper, bool upper_inclusive) {
        const TimeValues::Bound lower{constant.number, lower_inclusive};
        const TimeValues::Bound upper{constant.number, upper_inclusive};
        ranges.push_back(times.Range(has_lower ? &lower : nullptr, has_upper ? &upper : nullptr));
    });
}

// The positions in the index order of the values `op constant`.
void AddRanges(const SortedIndex& index, CompareOp op, const Value& constant, std::vector<Range>& ranges) {
    AddComparisonRanges(op, [&](bool has_lower, bool lower_inclusive, bool has_upper, bool upper_inclusive) {
        if (index.IsText()) {
            const SortedIndex::TextBound lower{constant.text, lower_inclusive};
            const SortedIndex::TextBound upper{constant.text, upper_inclusive};
            ranges.push_back(index.TextRange(has_lower ? &lower : nullptr, has_upper ? &upper : nullptr));
        } else {
            const SortedIndex::Bound lower{constant.number, lower_inclusive};
            const SortedIndex::Bound upper{constant.number, upper_inclusive};
            ranges.push_back(index.NumberRange(has_lower ? &lower : nullptr, has_upper ? &upper : nullptr));
        }
    });
}

// The ranges of `op constant` in the order the plan reads: the field's times or its sorted index.
void AddPlanRanges(Plan& plan, CompareOp op, const Value& constant) {
    if (plan.times != nullptr) {
        AddTimeRanges(*plan.times, op, constant, plan.ranges);
    } else {
        AddRanges(*plan.index, op, constant, plan.ranges);
    }
}

// Points the plan at the order it reads the field in.
void UseOrderOf(Plan& plan, const BoundOperand& field, const ColumnTable& table) {
    if (field.times != nullptr) {
        plan.times = field.times;
    } else {
        plan.index = &table.IndexOf(field.field);
    }
}

// The range of texts that start with a prefix: from the prefix up to the next text of its length.
Range PrefixRange(const SortedIndex& index, std::string_view prefix, std::string& upper_text) {
    upper_text.assign(prefix);
    while (!upper_text.empty() && static_cast<unsigned char>(upper_text.back()) == 0xFF) {
        upper_text.pop_back();
    }
    const SortedIndex::TextBound lower{prefix, true};
    if (upper_text.empty()) {
        return index.TextRange(&lower, nullptr);
    }
    upper_text.back() = static_cast<char>(static_cast<unsigned char>(upper_text.back()) + 1);
    const SortedIndex::TextBound upper{upper_text, false};
    return index.TextRange(&lower, &upper);
}

// Sorts ranges and joins those that overlap, so that no position is read twice.
void MergeRanges(std::vector<Range>& ranges) {
    std::erase_if(ranges, [](const Range& range) { return range.first >= range.second; });
    std::sort(ranges.begin(), ranges.end());
    std::vector<Range> merged;
    for (const Range& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    ranges = std::move(merged);
}

// Two single ranges of one order (a lower and an upper bound) to the range both hold.
void IntersectRanges(std::vector<Range>& ranges) {
    const Range low = ranges[0];
    const Range high = ranges[1];
    const size_t first = std::max(low.first, high.first);
    ranges = {{first, std::max(first, std::min(low.second, high.second))}};
}

std::optional<Plan> LeafPlan(const BoundNode& node, const ColumnTable& table) {
    Plan plan;
    plan.node = &node;
    const BoundOperand* field = &node.left;
    CompareOp op = node.op;
    if (node.kind == NodeKind::Compare && !node.left.IsField()) {
        field = &node.right;
        op = Mirrored(op);
    }
    if (!field->IsField()) {
        return std::nullopt;
    }
    switch (node.kind) {
    case NodeKind::Compare: {
        const Value& constant = field == &node.left ? node.right.constant : node.left.constant;
        if (node.left.IsField() && node.right.IsField()) {
            return std::nullopt;
        }
        if (!IndexSuits(*field, constant)) {
            return std::nullopt;
        }
        UseOrderOf(plan, *field, table);
        AddPlanRanges(plan, op, constant);
        break;
    }
    case NodeKind::In:
        if (node.negated || !std::all_of(node.values.begin(), node.values.end(),
                                         [&](const Value& value) { return IndexSuits(*field, value); })) {
            return std::nullopt;
        }
        UseOrderOf(plan, *field, table);
        for (const Value& value : node.values) {
            AddPlanRanges(plan, CompareOp::Equal, value);
        }
        break;
    case NodeKind::Between: {
        if (!IndexSuits(*field, node.values[0]) || !IndexSuits(*field, node.values[1])) {
            return std::nullopt;
        }
        UseOrderOf(plan, *field, table);
        if (node.negated) {
            AddPlanRanges(plan, CompareOp::Less, node.values[0]);
            AddPlanRanges(plan, CompareOp::Greater, node.values[1]);
            break;
        }
        AddPlanRanges(plan, CompareOp::GreaterEqual, node.values[0]);
        AddPlanRanges(plan, CompareOp::LessEqual, node.values[1]);
        IntersectRanges(plan.ranges);
        break;
    }
    case NodeKind::Like: {
        const std::string_view pattern = node.values.front().text;
        const bool wildcard = HasWildcard(pattern);
        if (node.negated || (wildcard && LikePrefix(pattern).empty())) {
            return std::nullopt;
        }
        plan.index = &table.IndexOf(field->field);
        if (wildcard) {
            std::string upper;
            plan.ranges.push_back(PrefixRange(*plan.index, LikePrefix(pattern), upper));
            plan.exact = false;
        } else {
            const SortedIndex::TextBound equal{pattern, true};
            plan.ranges.push_back(plan.index->TextRange(&equal, &equal));
        }
        break;
    }
    default:
        return std::nullopt;
    }
    MergeRanges(plan.ranges);
    for (const Range& range : plan.ranges) {
        plan.count += range.second - range.first;
    }
    return plan;
}

// Terms of an AND that are single ranges of the same order (a time window: t >= a AND t < b) become one range
// of that order, so the window is read as one range instead of a half table checked row by row.
void IntersectTermsOfOneOrder(std::vector<Plan>& terms) {
    for (size_t i = 0; i < terms.size(); ++i) {
        Plan& first = terms[i];
        if (first.ranges.size() != 1 || !first.exact || !first.children.empty()) {
            continue;
        }
        for (size_t j = terms.size(); j-- > i + 1;) {
            const Plan& other = terms[j];
            if (other.ranges.size() == 1 && other.exact && other.children.empty() && other.index == first.index &&
                other.times == first.times) {
                first.ranges.push_back(other.ranges.front());
                IntersectRanges(first.ranges);
                terms.erase(terms.begin() + static_cast<std::ptrdiff_t>(j));
            }
        }
        first.count = first.ranges.front().second - first.ranges.front().first;
    }
}

std::optional<Plan> MakePlan(const BoundNode& node, const ColumnTable& table) {
    if (node.kind != NodeKind::And && node.kind != NodeKind::Or) {
        return LeafPlan(node, table);
    }
    Plan plan;
    plan.node = &node;
    for (const BoundNode& child : node.children) {
        auto child_plan = MakePlan(child, table);
        if (!child_plan) {
            if (node.kind == NodeKind::Or) {
                return std::nullopt; // one term needs a scan, so the whole OR does
            }
            continue;
        }
        plan.children.push_back(std::move(*child_plan));
    }
    if (plan.children.empty()) {
        return std::nullopt;
    }
    if (node.kind == NodeKind::And) {
        // Every term planned and merged into one exact range (a window) needs no check row by row.
        const bool all_planned = plan.children.size() == node.children.size();
        IntersectTermsOfOneOrder(plan.children);
        // Only the smallest term is read from its index; the others are checked on its rows.
        auto smallest = std::min_element(plan.children.begin(), plan.children.end(),
                                         [](const Plan& a, const Plan& b) { return a.count < b.count; });
        Plan best = std::move(*smallest);
        plan.exact = all_planned && plan.children.size() == 1 && best.exact;
        plan.children.clear();
        plan.children.push_back(std::move(best));
        plan.count = plan.children.front().count;
    } else {
        for (const Plan& child : plan.children) {
            plan.count += child.count;
        }
    }
    return plan;
}

RowIds Run(const Plan& plan, size_t row_count) {
    RowIds rows;
    if (plan.times != nullptr) {
        std::vector<uint32_t> all;
        for (const Range& range : plan.ranges) {
            const auto& order = plan.times->Order();
            all.insert(all.end(), order.begin() + static_cast<std::ptrdiff_t>(range.first),
                       order.begin() + static_cast<std::ptrdiff_t>(range.second));
        }
        rows = AscendingRows(std::move(all), row_count);
    } else if (plan.index != nullptr) {
        rows = plan.index->Rows(plan.ranges);
    } else if (plan.node->kind == NodeKind::And) {
        rows = Run(plan.children.front(), row_count);
    } else {
        std::vector<uint32_t> all;
        for (const Plan& child : plan.children) {
            RowIds child_rows = Run(child, row_count);
            all.insert(all.end(), child_rows.begin(), child_rows.end());
        }
        rows = AscendingRows(std::move(all), row_count);
    }
    if (!plan.exact) {
        std::erase_if(rows, [&](uint32_t row) { return plan.node->Evaluate(row) != Truth::True; });
    }
    return rows;
}

} // namespace

std::optional<OrderPrefix> UpperBoundPrefix(const BoundNode& node, const ColumnTable& table) {
    if (node.kind != NodeKind::Compare) {
        return std::nullopt;
    }
    const bool field_left = node.left.IsField();
    const CompareOp op = field_left ? node.op : Mirrored(node.op);
    if (op != CompareOp::Less && op != CompareOp::LessEqual) {
        return std::nullopt;
    }
    const auto plan = LeafPlan(node, table);
    if (!plan || plan->ranges.size() > 1 || !plan->exact) {
        return std::nullopt;
    }
    const Range range = plan->ranges.empty() ? Range{0, 0} : plan->ranges.front();
    if (range.first != 0) {
        return std::nullopt;
    }
    const std::vector<uint32_t>& order = plan->times != nullptr ? plan->times->Order() : plan->index->Order();
    return OrderPrefix{&order, range.second};
}

std::optional<RowIds> SelectByIndex(const BoundNode& clause, const ColumnTable& table) {
    const auto plan = MakePlan(clause, table);
    if (!plan) {
        return std::nullopt;
    }
    return Run(*plan, table.RowCount());
}

} // namespace chronova::gis::sql
