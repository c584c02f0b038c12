// Proposes a layer's time setting the way the layer configuration dialog sets it up, then looks at the data the
// proposal names: the registry finds no time steps in a field of the wrong type or of values that are no dates,
// and a project that names such a layer as a time layer would not open.
#include "layerconfig/layer_proposal.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "datetime/mod_date_time.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "layerconfig/field_detection.h"
#include "platform/automation_error.h"
#include "platform/date_text.h"
#include "platform/text.h"
#include "records/layer_data.h"
#include "timeapply/mod_layers.h"
#include "timeapply/raster_side_files.h"

namespace chronova::layerconfig {

namespace {

// The reason of a layer that stays a plain map layer.
std::string NotTime(const std::string& why) {
    return "not a time layer: " + why;
}

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string List(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text.empty() ? "none" : text;
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

bool IsObjectId(const SourceField& field) {
    return !field.Custom && field.Type == static_cast<int16_t>(gis::FieldType::OID);
}

// The fields a user made: every field a list can offer except the object id, which the data format adds.
std::vector<std::string> AttributeNames(const std::vector<SourceField>& fields) {
    std::vector<std::string> names;
    for (const SourceField& field : fields) {
        if (OfferedInList(field, FieldKind::Any) && !IsObjectId(field)) {
            names.push_back(field.Name);
        }
    }
    return names;
}

std::string_view TypeName(gis::FieldType type) {
    switch (type) {
    case gis::FieldType::SmallInteger:
        return "16-bit integer";
    case gis::FieldType::Single:
        return "single-precision number";
    case gis::FieldType::OID:
        return "object id";
    case gis::FieldType::GUID:
        return "GUID";
    case gis::FieldType::GlobalID:
        return "global id";
    case gis::FieldType::XML:
        return "XML";
    default:
        return "non-time";
    }
}

// Whether a text step converts to a date the way the registry converts it.
bool ReadsAsDate(const std::string& text) {
    return platform::TryParseDate(text).has_value();
}

bool IsDateTimeGroup(const std::string& text) {
    try {
        return modDateTime::IsDTG(text);
    } catch (const platform::AutomationError&) {
        return false; // "Z " in place but no numbers around it: not a date-time group
    }
}

// What a table's time field holds, judged by its type and its first value; an empty reason means it will give
// time steps.
struct FieldVerdict {
    TimeValues Values = TimeValues::Date;
    std::string Problem;
};

FieldVerdict JudgeTimeField(const gis::ITable& table, const std::string& name) {
    const int32_t index = table.FindField(name);
    if (index < 0) {
        return {TimeValues::Date, "there is no field " + name};
    }
    const auto data = table.Data();
    const gis::FieldType type = data->Fields()[static_cast<size_t>(index)].Type;
    TimeValues values = TimeValues::DateText;
    switch (type) {
    case gis::FieldType::Date:
        values = TimeValues::Date;
        break;
    case gis::FieldType::Integer:
        values = TimeValues::WholeNumber;
        break;
    case gis::FieldType::Double:
        values = TimeValues::Number;
        break;
    case gis::FieldType::String:
        break;
    default:
        return {TimeValues::Date, "the field " + name + " is a " + std::string(TypeName(type)) +
                                      " field, which cannot hold times (date, text, integer and double fields can)"};
    }
    // The first value that is there; blank texts count as missing, as they name no time.
    const gis::Column& column = data->ColumnAt(static_cast<size_t>(index));
    std::optional<size_t> first;
    for (size_t row = 0; row < column.Size() && !first; ++row) {
        if (!column.IsNull(row) && (type != gis::FieldType::String || !platform::Trim(column.Text(row)).empty())) {
            first = row;
        }
    }
    if (!first) {
        return {values, "the field " + name + " has no values"};
    }
    if (type != gis::FieldType::String) {
        return {values, {}};
    }
    const std::string& text = column.Text(*first);
    if (IsDateTimeGroup(text)) {
        return {TimeValues::DateTimeGroup, {}};
    }
    if (ReadsAsDate(text)) {
        return {TimeValues::DateText, {}};
    }
    return {TimeValues::DateText, "the field " + name + " holds text that is not a date (" + Quote(text) + ")"};
}

// Date fields, and text fields whose first value is a date-time group, that no name marks as times, so the reason
// can point at them: the dialog proposes time fields by name only. Other texts that read as dates are left out,
// as short numbers and codes can read as dates too.
std::vector<std::string> UnnamedDateFields(const gis::ITable& table, const std::vector<SourceField>& fields) {
    std::vector<std::string> names;
    for (const SourceField& field : fields) {
        const bool candidate = field.Type == static_cast<int16_t>(gis::FieldType::Date) ||
                               field.Type == static_cast<int16_t>(gis::FieldType::String);
        if (candidate && !field.Custom) {
            const FieldVerdict verdict = JudgeTimeField(table, field.Name);
            if (verdict.Problem.empty() &&
                (verdict.Values == TimeValues::Date || verdict.Values == TimeValues::DateTimeGroup)) {
                names.push_back(field.Name);
            }
        }
    }
    return names;
}

std::string NoTimeField(const gis::ITable& table, const std::vector<SourceField>& fields) {
    std::string text = "no field looks like a time (fields: " + List(AttributeNames(fields));
    const std::vector<std::string> dated = UnnamedDateFields(table, fields);
    if (!dated.empty()) {
        text += "; " + List(dated) + (dated.size() == 1 ? " holds dates but is" : " hold dates but are") +
                " not named like a time";
    }
    return text + ")";
}

bool HoldsDates(TimeValues values) {
    return values == TimeValues::Date || values == TimeValues::DateText || values == TimeValues::DateTimeGroup;
}

// A table's time field as proposed for its drop-down list. A field proposed only because the list has no other
// entry is taken when its values read as dates: a lone number field is as likely a count as a time.
struct TimeFieldChoice {
    std::string Field;
    FieldVerdict Verdict;
    bool OnlyEntry = false;
    bool OnlyDateField = false;
    bool Found() const { return !Field.empty(); }
};

TimeFieldChoice ChooseTimeField(const gis::ITable& table, const std::vector<SourceField>& fields) {
    const FieldChoices choices = ProposeField(fields, kTimeFieldNames, FieldKind::NumberDateOrText);
    if (choices.Match == FieldMatch::None) {
        // Nothing is named like a time, but a table with a single date field keeps its time there whatever the
        // field is called (WHEN, OBSERVED); the date list proposes it as its only entry.
        const FieldChoices dates = ProposeField(fields, "", FieldKind::Date);
        if (dates.Match != FieldMatch::OnlyEntry) {
            return {};
        }
        TimeFieldChoice choice{dates.ProposedName(), JudgeTimeField(table, dates.ProposedName())};
        choice.OnlyDateField = true;
        return choice;
    }
    TimeFieldChoice choice{choices.ProposedName(), JudgeTimeField(table, choices.ProposedName()),
                           choices.Match == FieldMatch::OnlyEntry};
    if (choice.OnlyEntry && choice.Verdict.Problem.empty() && !HoldsDates(choice.Verdict.Values)) {
        choice.Verdict.Problem =
            "no field is named like a time, and the only candidate, " + choice.Field + ", holds numbers, not dates";
    }
    return choice;
}

std::string FieldText(const TimeFieldChoice& choice) {
    std::string text = choice.Field + " (" + std::string(DescribeTimeValues(choice.Verdict.Values));
    if (choice.OnlyEntry) {
        text += "; the only candidate field, and its values read as dates";
    } else if (choice.OnlyDateField) {
        text += "; the only date field, though not named like a time";
    }
    return text + ")";
}

// Speed and direction as the dialog proposes them for a point layer, kept only when both are candidate names
// whole: a fragment match would take coordinates X and Y for the components dx and dy, and a list's single
// entry could be anything. The dialog shows its guesses to the user; here nobody checks them.
void ProposeVectors(LayerProposal& proposal, const std::vector<SourceField>& fields) {
    const FieldChoices speed = ProposeField(fields, SpeedFieldNames(false), FieldKind::Number);
    const FieldChoices direction = ProposeField(fields, DirectionFieldNames(false), FieldKind::Number);
    const auto named = [](const FieldChoices& choices) { return choices.Match == FieldMatch::Exact; };
    if (named(speed) && named(direction)) {
        proposal.SpeedField = speed.ProposedName();
        proposal.DirectionField = direction.ProposedName();
        proposal.Reason += ", speed " + proposal.SpeedField + ", direction " + proposal.DirectionField;
    } else if (named(speed)) {
        proposal.Reason += ", no vectors (speed " + speed.ProposedName() + " but no direction field)";
    } else if (named(direction)) {
        proposal.Reason += ", no vectors (direction " + direction.ProposedName() + " but no speed field)";
    }
}

// A table of the GeoPackage with a usable time field, and the fields it shares with the layer.
struct JoinCandidate {
    std::string Table;
    TimeFieldChoice Time;
    std::string PrimaryKey;
    std::vector<std::pair<std::string, std::string>> SharedKeys; ///< layer field, table field
};

// Fields both hold, by name with case ignored. Object ids only number rows, the table's primary key identifies
// its own rows, and shapes are no keys, so none of them joins the two.
std::vector<std::pair<std::string, std::string>> SharedKeys(const std::vector<SourceField>& layer_fields,
                                                            const std::vector<SourceField>& table_fields,
                                                            const std::string& primary_key) {
    std::vector<std::pair<std::string, std::string>> shared;
    for (const SourceField& ours : layer_fields) {
        if (!OfferedInList(ours, FieldKind::Any) || IsObjectId(ours)) {
            continue;
        }
        for (const SourceField& theirs : table_fields) {
            if (OfferedInList(theirs, FieldKind::Any) && !IsObjectId(theirs) &&
                !platform::IEquals(theirs.Name, primary_key) && platform::IEquals(ours.Name, theirs.Name)) {
                shared.emplace_back(ours.Name, theirs.Name);
            }
        }
    }
    return shared;
}

std::string PairNames(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::vector<std::string> names;
    names.reserve(pairs.size());
    for (const auto& pair : pairs) {
        names.push_back(pair.first);
    }
    return List(names);
}

// The dialog's join for a GeoPackage feature class whose time lives in another table: the table's time field and
// primary key as proposed for their lists, the key the one field the layer and the table share. When no table,
// or more than one, can be joined, nothing is guessed.
void ProposeJoin(LayerProposal& proposal, const gis::FeatureLayer& layer, const std::vector<SourceField>& fields) {
    const std::string own = NoTimeField(*layer.FeatureClass(), fields);
    const auto workspace = std::dynamic_pointer_cast<gis::IFeatureWorkspace>(layer.FeatureClass()->Workspace());
    if (!workspace) {
        proposal.Reason = NotTime(own);
        return;
    }
    const std::string package = FileName(workspace->PathName());
    std::vector<JoinCandidate> timed;
    std::string first_problem;
    for (const std::string& name : workspace->DatasetNames(gis::DatasetType::Table)) {
        const std::shared_ptr<gis::ITable> table = workspace->OpenTable(name);
        const std::vector<SourceField> table_fields = FieldsOf(*table);
        TimeFieldChoice time = ChooseTimeField(*table, table_fields);
        if (!time.Found()) {
            continue;
        }
        if (table->RowCount() == 0 || !time.Verdict.Problem.empty()) {
            if (first_problem.empty()) {
                first_problem = "table " + name + ": " +
                                (table->RowCount() == 0 ? std::string("it has no rows") : time.Verdict.Problem);
            }
            continue;
        }
        JoinCandidate candidate{name, std::move(time), {}, {}};
        candidate.PrimaryKey = ProposeField(table_fields, kKeyFieldNames, FieldKind::Number).ProposedName();
        candidate.SharedKeys = SharedKeys(fields, table_fields, candidate.PrimaryKey);
        timed.push_back(std::move(candidate));
    }

    std::vector<const JoinCandidate*> joinable;
    for (const JoinCandidate& candidate : timed) {
        if (candidate.SharedKeys.size() == 1) {
            joinable.push_back(&candidate);
        }
    }
    if (joinable.size() > 1) {
        std::vector<std::string> names;
        names.reserve(joinable.size());
        for (const JoinCandidate* candidate : joinable) {
            names.push_back(candidate->Table);
        }
        proposal.Reason = NotTime(own + ", and the tables " + List(names) + " of " + package +
                                  " all hold a time field and share a key with it: choose one in the layer dialog");
        return;
    }
    if (joinable.empty()) {
        std::string why;
        if (timed.empty()) {
            why = first_problem.empty() ? "no table of " + package + " has one"
                                        : "no table of " + package + " has a usable one (" + first_problem + ")";
        } else if (timed.size() > 1) {
            why = "no table of " + package + " with a time field shares exactly one field with it to join on";
        } else if (timed.front().SharedKeys.empty()) {
            why = "the table " + timed.front().Table + " holds the time field " + timed.front().Time.Field +
                  " but shares no field with it to join on";
        } else {
            why = "the table " + timed.front().Table + " holds the time field " + timed.front().Time.Field +
                  " but shares several fields with it (" + PairNames(timed.front().SharedKeys) +
                  "), so the key is not clear";
        }
        proposal.Reason = NotTime(own + ", and " + why);
        return;
    }

    const JoinCandidate& chosen = *joinable.front();
    proposal.TimeLayer = true;
    proposal.TimeField = chosen.Time.Field;
    proposal.Values = chosen.Time.Verdict.Values;
    proposal.Join = JoinProposal{"Join_" + layer.Name(), chosen.Table, chosen.SharedKeys.front().first,
                                 chosen.SharedKeys.front().second, chosen.PrimaryKey};
    proposal.Reason =
        "time field " + FieldText(chosen.Time) + " of the table " + chosen.Table + ", joined on " + proposal.Join->Key;
}

void ProposeFeatureLayer(LayerProposal& proposal, const std::shared_ptr<gis::FeatureLayer>& layer) {
    const auto& feature_class = layer->FeatureClass();
    if (!feature_class) {
        proposal.Reason = NotTime("its data could not be opened");
        return;
    }
    if (feature_class->FeatureCount() == 0) {
        proposal.Reason = NotTime("it has no features");
        return;
    }
    LayerData record;
    ClassifyRecord(record, layer);
    const std::vector<SourceField> fields = FieldsOfLayer(layer);
    const TimeFieldChoice time = ChooseTimeField(*feature_class, fields);
    if (proposal.Kind == CandidateKind::Geodatabase && !record.IncludesTimeSteps && !time.OnlyDateField) {
        // The dialog offers the join for a feature class without a time-like field of its own.
        ProposeJoin(proposal, *layer, fields);
    } else {
        if (!time.Found()) {
            proposal.Reason = NotTime(NoTimeField(*feature_class, fields));
            return;
        }
        if (!time.Verdict.Problem.empty()) {
            proposal.Reason = NotTime(time.Verdict.Problem);
            return;
        }
        proposal.TimeLayer = true;
        proposal.TimeField = time.Field;
        proposal.Values = time.Verdict.Values;
        proposal.Reason = "time field " + FieldText(time);
    }
    const gis::GeometryType shape = feature_class->ShapeType();
    if (proposal.TimeLayer && (shape == gis::GeometryType::Point || shape == gis::GeometryType::Multipoint)) {
        ProposeVectors(proposal, fields);
    }
}

std::string_view UnitName(const std::string& unit, bool plural) {
    if (unit == "d") {
        return plural ? "days" : "day";
    }
    return unit == "h" ? (plural ? "hours" : "hour") : (plural ? "minutes" : "minute");
}

std::string IsoMinutes(int32_t minutes) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    modDateTime::MinutesToParts(minutes, year, month, day, hour, minute);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

int64_t UnitMinutes(const std::string& unit) {
    return unit == "d" ? 1440 : unit == "h" ? 60 : 1;
}

// Band times come from the step list when there is one, else from the settings file: the order in which the
// registry reads them. A list that cannot time the bands makes the raster no time layer, whatever the settings.
void ProposeRaster(LayerProposal& proposal, gis::RasterLayer& layer) {
    const int32_t bands = layer.BandCount();
    if (bands == 0) {
        proposal.Reason = NotTime("the raster has no bands");
        return;
    }
    std::string step_list = layer.FilePath();
    modLayers::ChangeExtension(step_list, "xml");
    std::string settings_file = layer.FilePath();
    modLayers::ChangeExtension(settings_file, "ini");
    std::error_code error;
    const bool has_list = std::filesystem::is_regular_file(step_list, error);
    const bool has_settings = std::filesystem::is_regular_file(settings_file, error);

    if (has_list) {
        const std::optional<RasterStepList> list = ReadRasterStepList(step_list);
        const size_t steps = list ? list->Steps.size() : 0;
        if (!list || !list->Problem.empty()) {
            proposal.Reason = NotTime(list ? list->Problem : FileName(step_list) + " cannot be read");
        } else if (steps < static_cast<size_t>(bands)) {
            proposal.Reason = NotTime(FileName(step_list) + " lists " + std::to_string(steps) + " steps for " +
                                      std::to_string(bands) + " bands");
        } else {
            proposal.TimeLayer = true;
            proposal.Bands = BandTiming::StepList;
            proposal.SideFile = step_list;
            proposal.Steps = bands;
            proposal.Reason = "bands timed by " + FileName(step_list) + " (" + std::to_string(bands) + " steps)";
        }
        return;
    }
    if (!has_settings) {
        proposal.Reason = NotTime("no step list " + FileName(step_list) + " or settings file " +
                                  FileName(settings_file) + " beside it");
        return;
    }
    const auto settings = ReadRasterSettings(settings_file);
    if (!settings) {
        proposal.Reason = NotTime(FileName(settings_file) + " is not a raster settings file");
        return;
    }
    const std::string& unit = settings->IntervalUnits;
    if ((unit != "d" && unit != "h" && unit != "n") || settings->Interval <= 0) {
        proposal.Reason = NotTime(FileName(settings_file) + " gives no interval in days (d), hours (h) or minutes (n)");
        return;
    }
    const int64_t last = int64_t{settings->StartTime} + int64_t{bands - 1} * settings->Interval * UnitMinutes(unit);
    if (last > std::numeric_limits<int32_t>::max()) {
        proposal.Reason =
            NotTime("the last band of " + FileName(settings_file) + " falls after the latest time there is");
        return;
    }
    proposal.TimeLayer = true;
    proposal.Bands = BandTiming::Settings;
    proposal.SideFile = settings_file;
    proposal.Steps = bands;
    proposal.Reason = "bands timed by " + FileName(settings_file) + " (" + std::to_string(bands) + " steps from " +
                      IsoMinutes(settings->StartTime) + ", every " +
                      (settings->Interval == 1 ? std::string() : std::to_string(settings->Interval) + " ") +
                      std::string(UnitName(unit, settings->Interval != 1)) + ")";
}

} // namespace

std::string_view DescribeTimeValues(TimeValues values) noexcept {
    switch (values) {
    case TimeValues::Date:
        break;
    case TimeValues::DateText:
        return "text of dates";
    case TimeValues::DateTimeGroup:
        return "date-time-group text";
    case TimeValues::WholeNumber:
        return "whole number";
    case TimeValues::Number:
        return "number";
    }
    return "date field";
}

LayerProposal ProposeLayer(const std::shared_ptr<gis::ILayer>& layer) {
    LayerProposal proposal;
    if (!layer) {
        proposal.Reason = NotTime("there is no layer");
        return proposal;
    }
    proposal.Kind = ClassifyCandidate(*layer);
    switch (proposal.Kind) {
    case CandidateKind::Shapefile:
    case CandidateKind::Geodatabase:
        ProposeFeatureLayer(proposal, std::dynamic_pointer_cast<gis::FeatureLayer>(layer));
        break;
    case CandidateKind::Raster:
        ProposeRaster(proposal, dynamic_cast<gis::RasterLayer&>(*layer));
        break;
    case CandidateKind::Group:
        proposal.Reason = NotTime(IsWmsLayer(*layer) ? "a web map service layer is set up in the layer dialog"
                                                     : "a group's layers are proposed one by one");
        break;
    case CandidateKind::Custom:
        proposal.Reason = NotTime("a custom layer is set up in the layer dialog");
        break;
    case CandidateKind::None:
        proposal.Reason = NotTime("its data is neither a shapefile, a GeoPackage nor a raster");
        break;
    }
    return proposal;
}

} // namespace chronova::layerconfig
