#pragma once

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "datetime/mod_date_time.h"
#include "gis/data/raster_dataset.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/layer.h"
#include "gis/layers/raster_layer.h"
#include "platform/conversions.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "support/memory_data.h"

// Layers and records for the tests of time step discovery and time filters.
namespace chronova::testing {

/// A raster of a given number of bands whose cells are the band number; no file behind it.
class BandNumberRaster : public gis::RasterDataset {
public:
    explicit BandNumberRaster(int32_t bands, std::string path = "/memory/bands.tif")
        : bands_(bands), path_(std::move(path)) {}
    const std::string& FilePath() const override { return path_; }
    int32_t BandCount() const override { return bands_; }
    int32_t Width() const override { return 2; }
    int32_t Height() const override { return 2; }
    gis::Envelope Extent() const override { return {0, 0, 2, 2}; }
    std::string SpatialReference() const override { return {}; }
    gis::BandStatistics Statistics(int32_t band) override { return {double(band), double(band), double(band), 0}; }
    std::vector<float> ReadBand(int32_t band) override { return std::vector<float>(4, float(band)); }

private:
    int32_t bands_;
    std::string path_;
};

inline std::shared_ptr<gis::RasterLayer> MakeRasterRecord(LayerData& record, int32_t bands,
                                                          const std::filesystem::path& settings_path, int32_t start,
                                                          int32_t interval, const std::string& units) {
    auto layer = std::make_shared<gis::RasterLayer>(std::make_shared<BandNumberRaster>(bands), "Rain");
    record.TheLayer = layer;
    record.IsRasterLayer = true;
    record.TimeStepField = "NotNeeded";
    record.RasterBandCount = bands;
    record.RasterStartTime = start;
    record.RasterInterval = interval;
    record.RasterIntervalUnits = units;
    record.Path = settings_path.string();
    return layer;
}

/// A point layer TRACKS with one feature per given time, and the time in every form a field can hold it:
/// WHEN date, TEXT date text, DTG date-time group, MINUTES minute count, SERIAL date serial; SMALL (16-bit)
/// and SINGLE (float) hold the row number.
struct TimeData {
    std::shared_ptr<MemoryWorkspace> workspace;
    std::shared_ptr<MemoryTestFeatureClass> feature_class;
    std::shared_ptr<gis::FeatureLayer> layer;
};

inline TimeData TimeTable(const std::vector<std::string>& times, const std::string& source_type = {}) {
    TimeData data;
    data.workspace = std::make_shared<MemoryWorkspace>();
    data.feature_class = std::make_shared<MemoryTestFeatureClass>("TRACKS", data.workspace);
    data.workspace->Add("TRACKS", data.feature_class);
    gis::ColumnTable& table = data.feature_class->Columns();
    gis::Column& oid = table.AddField({"OBJECTID", "", gis::FieldType::OID});
    gis::Column& when = table.AddField({"WHEN", "", gis::FieldType::Date});
    gis::Column& text = table.AddField({"TEXT", "", gis::FieldType::String});
    gis::Column& dtg = table.AddField({"DTG", "", gis::FieldType::String});
    gis::Column& minutes = table.AddField({"MINUTES", "", gis::FieldType::Integer});
    gis::Column& serial = table.AddField({"SERIAL", "", gis::FieldType::Double});
    gis::Column& small = table.AddField({"SMALL", "", gis::FieldType::SmallInteger});
    gis::Column& single = table.AddField({"SINGLE", "", gis::FieldType::Single});
    for (size_t row = 0; row < times.size(); ++row) {
        const platform::Date date = platform::CDate(platform::Variant(times[row]));
        oid.AppendInteger(static_cast<int32_t>(row + 1));
        when.AppendReal(date.Serial());
        text.AppendText(platform::CStr(date));
        dtg.AppendText(modDateTime::DateToDTG(date));
        minutes.AppendInteger(modDateTime::DateToMinutes(date));
        serial.AppendReal(date.Serial());
        small.AppendInteger(static_cast<int32_t>(row));
        single.AppendReal(static_cast<double>(row));
        data.feature_class->AddPoint(static_cast<double>(row), 0.0);
    }
    data.layer = std::make_shared<gis::FeatureLayer>(data.feature_class, source_type, "Tracks");
    return data;
}

inline void MakeFeatureRecord(LayerData& record, std::shared_ptr<gis::FeatureLayer> layer, const std::string& field) {
    record.TheLayer = std::move(layer);
    record.TimeStepField = field;
    record.IncludesTimeSteps = true;
}

/// A point layer STATIONS (ID 1..3) and a table OBS of observations joined to it by STATION_ID, at three
/// times: station 1 reports at all three, station 2 at the first two, station 3 at the last.
struct JoinData {
    std::shared_ptr<MemoryWorkspace> workspace;
    std::shared_ptr<MemoryTestFeatureClass> stations;
    std::shared_ptr<MemoryTestTable> observations;
    std::shared_ptr<gis::FeatureLayer> layer;
};

inline JoinData StationsWithObservations() {
    JoinData data;
    data.workspace = std::make_shared<MemoryWorkspace>();
    data.stations = std::make_shared<MemoryTestFeatureClass>("STATIONS", data.workspace);
    data.observations = std::make_shared<MemoryTestTable>("OBS", data.workspace);
    data.workspace->Add("STATIONS", data.stations);
    data.workspace->Add("OBS", data.observations);
    gis::Column& id = data.stations->Columns().AddField({"ID", "", gis::FieldType::Integer});
    gis::Column& name = data.stations->Columns().AddField({"NAME", "", gis::FieldType::String});
    for (int32_t station = 1; station <= 3; ++station) {
        id.AppendInteger(station);
        name.AppendText("Station " + std::to_string(station));
        data.stations->AddPoint(station, station);
    }
    gis::ColumnTable& obs = data.observations->Columns();
    gis::Column& obs_id = obs.AddField({"OBS_ID", "", gis::FieldType::OID});
    gis::Column& station_id = obs.AddField({"STATION_ID", "", gis::FieldType::Integer});
    gis::Column& time = obs.AddField({"TIME", "", gis::FieldType::Date});
    gis::Column& speed = obs.AddField({"SPEED", "", gis::FieldType::Double});
    gis::Column& direction = obs.AddField({"DIR", "", gis::FieldType::Double});
    const struct {
        int32_t station;
        int hour;
        double speed;
    } rows[] = {{1, 0, 1.0}, {2, 0, 2.0}, {1, 6, 3.0}, {2, 6, 4.0}, {1, 12, 5.0}, {3, 12, 6.0}};
    int32_t next_id = 1;
    for (const auto& row : rows) {
        obs_id.AppendInteger(next_id++);
        station_id.AppendInteger(row.station);
        time.AppendReal(platform::Date::FromParts(2008, 3, 1, row.hour, 0).Serial());
        speed.AppendReal(row.speed);
        direction.AppendReal(row.speed * 45.0);
    }
    data.layer = std::make_shared<gis::FeatureLayer>(data.stations, "Personal Geodatabase Feature Class", "Stations");
    return data;
}

inline void MakeJoinRecord(LayerData& record, const JoinData& data) {
    record.TheLayer = data.layer;
    record.isJoined = true;
    record.JoinTable = "OBS";
    record.TimeStepField = "TIME";
    record.PrimaryKeyField = "OBS_ID";
    record.HostKeyField = "ID";
    record.ForeignKeyField = "STATION_ID";
    record.JoinName = "Join_Stations";
}

/// A custom time layer with given steps that records what the system asks of it.
class ScriptedTimeLayer : public gis::LayerBase, public TimeLayer {
public:
    explicit ScriptedTimeLayer(std::vector<platform::Variant> steps) : steps_(std::move(steps)) {}

    std::string Path() override { return "/memory/custom.csv"; }
    int32_t TimeStepCount() override { return static_cast<int32_t>(steps_.size()); }
    platform::Variant TimeStep(int32_t lIndex) override {
        asked_positions.push_back(lIndex);
        return steps_.at(static_cast<size_t>(lIndex - 1));
    }
    platform::Variant CurrentTimeStep() override {
        return current_steps.empty() ? platform::Variant() : current_steps.back();
    }
    void CurrentTimeStep(const platform::Variant& value) override { current_steps.push_back(value); }
    bool ShowPrevious() override { return show_previous_; }
    void ShowPrevious(bool value) override { show_previous_ = value; }

    std::vector<int32_t> asked_positions;
    std::vector<platform::Variant> current_steps;

private:
    std::vector<platform::Variant> steps_;
    bool show_previous_ = false;
};

inline void MakeCustomRecord(LayerData& record, std::shared_ptr<ScriptedTimeLayer> layer) {
    record.TheLayer = std::move(layer);
    record.IsTimeLayer = true;
    record.TimeStepField = "TIME";
    record.Path = "/memory/custom.csv";
}

} // namespace chronova::testing
