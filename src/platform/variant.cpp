#include "platform/variant.h"

namespace chronova::platform {

VarType Variant::Type() const noexcept {
    static constexpr VarType kTypes[] = {VarType::Empty,  VarType::Integer, VarType::Long,
                                         VarType::Single, VarType::Double,  VarType::Date,
                                         VarType::String, VarType::Boolean, VarType::Object};
    return kTypes[value_.index()];
}

} // namespace chronova::platform
