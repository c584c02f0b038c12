#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "gis/uid.h"
#include "platform/variant.h"

namespace chronova::gis {

/// Makes one new object of a class.
using ClassFactory = std::function<platform::ObjectRef()>;

/// The classes that components make available in this process, by class identifier: what the host creates
/// when a component category names a class. A class the categories name but nobody registered here cannot be
/// created, as a component whose module is not installed.
class ClassRegistry {
public:
    /// Makes the class creatable under its identifier and its ProgID resolvable by UID (see RegisterProgId).
    /// A later registration of the same identifier replaces the earlier one. Raises 5 for a malformed
    /// identifier or ProgID and for an empty factory.
    void Register(std::string_view clsid, std::string_view prog_id, ClassFactory factory);

    bool IsRegistered(const UID& clsid) const;
    /// The ProgID the class was registered with; "" for an unknown class.
    std::string ProgId(const UID& clsid) const;
    /// A new object of the class. Raises 429 for a class that is not registered and for a factory that makes
    /// nothing.
    platform::ObjectRef CreateInstance(const UID& clsid) const;

private:
    struct Class {
        std::string prog_id;
        ClassFactory factory;
    };
    std::map<std::string, Class> classes_;
};

} // namespace chronova::gis
