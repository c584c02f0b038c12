#include <memory>

#include "gis/data/query_table.h"
#include "gis/data/table.h"
#include "host/error_handling.h"
#include "timeapply/arc_objects.h"

namespace chronova::ArcObjects {

std::shared_ptr<gis::ITable> Create_SQLTable(const std::shared_ptr<gis::IWorkspace>& pWorkspace,
                                             const std::string& sSubFields, const std::string& sTables,
                                             const std::string& sWhere, const std::string& sPrimaryKey,
                                             const std::string& sName) {
    std::shared_ptr<gis::ITable> table;
    ErrorHandling::Trap("Create_SQLTable", "ArcObjects", ErrorHandling::TrapKind::Inner, [&] {
        auto workspace = std::dynamic_pointer_cast<gis::IFeatureWorkspace>(pWorkspace);
        if (!workspace) {
            platform::RaiseError(platform::error::kObjectNotSet, "The workspace cannot run queries.");
        }
        const gis::QueryDef query{sSubFields, sTables, sWhere};
        table = gis::OpenQueryTable(*workspace, query, sPrimaryKey, sName);
    });
    return table;
}

} // namespace chronova::ArcObjects
