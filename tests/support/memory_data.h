#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gis/data/table.h"
#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::testing {

/// A workspace of in-memory tables, for tests that need a host workspace without files.
class MemoryWorkspace : public gis::IFeatureWorkspace,
                        public gis::IGeodatabaseWorkspace,
                        public std::enable_shared_from_this<MemoryWorkspace> {
public:
    explicit MemoryWorkspace(std::string path = "/memory/test.gpkg") : path_(std::move(path)) {}

    std::string PathName() const override { return path_; }
    std::vector<std::string> DatasetNames(gis::DatasetType type) const override {
        std::vector<std::string> names;
        for (const auto& [name, table] : tables_) {
            if (type == gis::DatasetType::Any || table->Type() == type) {
                names.push_back(name);
            }
        }
        return names;
    }
    std::shared_ptr<gis::ITable> OpenTable(std::string_view name) override {
        for (const auto& [key, table] : tables_) {
            if (platform::IEquals(key, name)) {
                return table;
            }
        }
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The table '" + std::string(name) + "' is not in the workspace.");
    }
    std::shared_ptr<gis::IFeatureClass> OpenFeatureClass(std::string_view name) override {
        auto feature_class = std::dynamic_pointer_cast<gis::IFeatureClass>(OpenTable(name));
        if (!feature_class) {
            platform::RaiseError(platform::error::kInvalidProcedureCall, "Not a feature class.");
        }
        return feature_class;
    }
    void Add(const std::string& name, std::shared_ptr<gis::ITable> table) {
        tables_.emplace_back(name, std::move(table));
    }

private:
    std::string path_;
    std::vector<std::pair<std::string, std::shared_ptr<gis::ITable>>> tables_;
};

/// A table whose columns a test fills through Data().
class MemoryTestTable : public virtual gis::ITable {
public:
    MemoryTestTable(std::string name, const std::shared_ptr<gis::IWorkspace>& workspace)
        : data_(std::make_shared<gis::ColumnTable>(name)), name_(std::move(name)), workspace_(workspace) {}

    std::string Name() const override { return name_; }
    gis::DatasetType Type() const override { return gis::DatasetType::Table; }
    std::shared_ptr<gis::IWorkspace> Workspace() const override { return workspace_.lock(); }
    std::shared_ptr<const gis::ColumnTable> Data() const override { return data_; }
    gis::ColumnTable& Columns() { return *data_; }

private:
    std::shared_ptr<gis::ColumnTable> data_;
    std::string name_;
    std::weak_ptr<gis::IWorkspace> workspace_;
};

/// A feature class (points unless told otherwise) whose columns and shapes a test fills.
class MemoryTestFeatureClass : public MemoryTestTable, public gis::IFeatureClass {
public:
    using MemoryTestTable::MemoryTestTable;

    gis::DatasetType Type() const override { return gis::DatasetType::FeatureClass; }
    gis::GeometryType ShapeType() const override { return shape_type; }
    std::string ShapeFieldName() const override { return "Shape"; }
    std::shared_ptr<const gis::GeometryColumn> Shapes() const override { return shapes_; }
    /// Adds one point; call once per row.
    void AddPoint(double x, double y) {
        shapes_->AddCoordinate(x, y);
        shapes_->EndPart();
        shapes_->EndFeature();
    }

    /// What the class reports; the shapes a test adds should match it.
    gis::GeometryType shape_type = gis::GeometryType::Point;

private:
    std::shared_ptr<gis::GeometryColumn> shapes_ = std::make_shared<gis::GeometryColumn>();
};

} // namespace chronova::testing
