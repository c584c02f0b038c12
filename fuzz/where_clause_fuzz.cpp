// Where clauses come from project files, automation clients and users: any text must either run or raise an
// AutomationError, never crash. Each clause that parses must also read back from its canonical spelling,
// and Select (through the sorted indexes) must answer exactly what asking every row answers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

#include "gis/data/column_table.h"
#include "gis/sql/node.h"
#include "gis/sql/parser.h"
#include "gis/sql/where_clause.h"
#include "platform/automation_error.h"

using namespace chronova;

namespace {

// Table T: one field of each kind, with nulls, NaN, repeats, texts that read as numbers and dates.
std::shared_ptr<gis::ColumnTable> SmallTable() {
    auto table = std::make_shared<gis::ColumnTable>("T");
    gis::Column& oid = table->AddField({"OBJECTID", "", gis::FieldType::OID});
    gis::Column& small = table->AddField({"S", "", gis::FieldType::SmallInteger});
    gis::Column& integer = table->AddField({"N", "", gis::FieldType::Integer});
    gis::Column& single = table->AddField({"F", "", gis::FieldType::Single});
    gis::Column& real = table->AddField({"D", "", gis::FieldType::Double});
    gis::Column& date = table->AddField({"TIME", "", gis::FieldType::Date});
    gis::Column& text = table->AddField({"TX", "", gis::FieldType::String});
    gis::Column& shape = table->AddField({"Shape", "", gis::FieldType::Geometry});
    const double reals[] = {0, -1, 0.5, 2, 39508.25, 1e10, std::numeric_limits<double>::quiet_NaN(), -0.0};
    const char* texts[] = {"", "a", "B", "10", " 2 ", "3/1/2008 6:00:00 AM", "051407Z MAR 2008", "\xC3\xA9t\xC3\xA9"};
    for (int row = 0; row < 24; ++row) {
        oid.AppendInteger(row + 1);
        if (row % 7 == 3) {
            for (gis::Column* column : {&small, &integer, &single, &real, &date, &text}) {
                column->AppendNull();
            }
        } else {
            small.AppendInteger(row % 5 - 2);
            integer.AppendInteger(row * 37 % 11 - 5);
            single.AppendReal(static_cast<float>(reals[row % 8]));
            real.AppendReal(reals[(row * 3) % 8]);
            date.AppendReal(39508.0 + (row % 6) * 0.25 - (row % 4 == 0 ? 39509 : 0));
            text.AppendText(texts[row % 8]);
        }
        shape.AppendNull();
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto table = SmallTable();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    gis::WhereClause clause;
    try {
        clause = gis::WhereClause::Parse(text);
    } catch (const platform::AutomationError&) {
        return 0;
    }
    if (!clause.IsEmpty()) {
        const std::string canonical = gis::sql::Describe(gis::sql::Parse(text));
        if (gis::sql::Describe(gis::sql::Parse(canonical)) != canonical) {
            __builtin_trap();
        }
    }
    try {
        const gis::RowIds selected = clause.Select(*table);
        gis::RowIds matched;
        for (size_t row = 0; row < table->RowCount(); ++row) {
            if (clause.Matches(*table, row)) {
                matched.push_back(static_cast<uint32_t>(row));
            }
        }
        if (selected != matched) {
            __builtin_trap();
        }
    } catch (const platform::AutomationError&) {
    }
    return 0;
}
