#include <memory>
#include <string>

#include "gis/data/joined_table.h"
#include "gis/layers/feature_layer.h"
#include "host/error_handling.h"
#include "records/layer_data.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"
#include "timeapply/step_literal.h"

namespace chronova::modLayers {

namespace {

constexpr std::string_view kModule = "modLayers";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

// The name of the query table that holds one step of a join table. The joined table on the layer carries
// the same name, so it identifies the step's join whatever the layer is called at the time.
std::string QueryTableName(const LayerData& record) {
    return record.JoinTable + "_QUERY";
}

} // namespace

void JoinLayerFeaturesByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep) {
    Trap("JoinLayerFeaturesByTimeStep", kModule, TrapKind::Inner, [&] {
        auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(pLayerData.TheLayer);
        if (!layer || !layer->FeatureClass()) {
            platform::RaiseError(platform::error::kObjectNotSet, "The joined layer has no feature class.");
        }
        auto workspace = layer->FeatureClass()->Workspace();

        pLayerData.sqlTable = QueryTableName(pLayerData);
        pLayerData.sqlFields = pLayerData.TimeStepField + "," + pLayerData.ForeignKeyField;
        if (!pLayerData.SpeedField.empty() && !pLayerData.DirectionField.empty()) {
            pLayerData.sqlFields += "," + pLayerData.SpeedField + "," + pLayerData.DirectionField;
        }
        if (!pLayerData.AdditionalFields.empty()) {
            pLayerData.sqlFields += "," + pLayerData.AdditionalFields;
        }
        const std::string op = pLayerData.IncludePreviousSteps ? " <= " : " = ";
        if (auto literal = StepLiteral(pLayerData.TimeFieldType, vTimeStep, DoubleStepForm::Bare)) {
            pLayerData.sqlWhere = pLayerData.TimeStepField + op + *literal;
        }

        auto query_table =
            ArcObjects::Create_SQLTable(workspace, pLayerData.sqlFields, pLayerData.JoinTable, pLayerData.sqlWhere,
                                        pLayerData.PrimaryKeyField, pLayerData.sqlTable);
        JoinTableToLayer(workspace, layer, pLayerData.HostKeyField, pLayerData.sqlTable, query_table,
                         pLayerData.ForeignKeyField, pLayerData.JoinName);
    });
}

void UnjoinLayerFeatures(LayerData& pLayerData) {
    Trap("UnjoinLayerFeatures", kModule, TrapKind::Inner,
         [&] { RemoveJoin(pLayerData.TheLayer, QueryTableName(pLayerData)); });
}

bool JoinTableToLayer(const std::shared_ptr<gis::IWorkspace>& /*pWorkspace*/,
                      const std::shared_ptr<gis::FeatureLayer>& pLayer, const std::string& sPrimaryKey,
                      const std::string& sTableName, const std::shared_ptr<gis::ITable>& pTable,
                      const std::string& sForeignKey, const std::string& sJoinName) {
    bool result = false;
    Trap("JoinTableToLayer", kModule, TrapKind::Inner, [&] {
        if (!pLayer) {
            platform::RaiseError(platform::error::kObjectNotSet);
        }
        RemoveJoin(pLayer, sTableName);
        auto relationship = std::make_shared<gis::MemoryRelationshipClass>();
        relationship->Name = sJoinName;
        relationship->Origin = pLayer->DisplayFeatureClass();
        relationship->OriginKey = sPrimaryKey;
        relationship->Destination = pTable;
        relationship->DestinationKey = sForeignKey;
        relationship->Kind = gis::Cardinality::OneToOne;
        pLayer->DisplayRelationshipClass(relationship, gis::JoinType::InnerJoin);
        result = true;
    });
    return result;
}

bool RemoveJoin(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sName) {
    bool result = false;
    Trap("RemoveJoin", kModule, TrapKind::Inner, [&] {
        auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(pLayer);
        if (!layer || !layer->DisplayTable()) {
            return;
        }
        auto current = std::dynamic_pointer_cast<gis::JoinedTable>(layer->DisplayTable());
        while (current) {
            if (current->Name() == sName) {
                // Drop this join and every join above it; the joins below it stay.
                if (auto below = std::dynamic_pointer_cast<gis::JoinedTable>(current->SourceTable())) {
                    layer->DisplayRelationshipClass(below->RelationshipClass(), below->JoinKind());
                } else {
                    layer->RemoveAllJoins();
                }
                break;
            }
            current = std::dynamic_pointer_cast<gis::JoinedTable>(current->SourceTable());
        }
        result = true;
    });
    return result;
}

} // namespace chronova::modLayers
