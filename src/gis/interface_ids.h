#pragma once

#include <functional>
#include <string_view>

#include "gis/uid.h"
#include "platform/variant.h"

namespace chronova::gis {

/// Interface identifiers of the host's objects; asking whether an object supports one of them is how callers
/// classify layers and workspaces by identifier (see SupportsInterface).
namespace iid {
/// Any map layer (ILayer).
inline constexpr std::string_view kLayer = "{BC93B336-8510-4572-8D51-4D03A1E1C94C}";
/// A feature layer (FeatureLayer).
inline constexpr std::string_view kFeatureLayer = "{0045B1D9-14FE-453F-8E4A-26DBE5A0708C}";
/// A feature layer that draws geography with a renderer (FeatureLayer).
inline constexpr std::string_view kGeoFeatureLayer = "{E156D7E5-22AF-11D3-9F99-00C04F6BC78E}";
/// A raster layer (RasterLayer).
inline constexpr std::string_view kRasterLayer = "{9B50A932-FF01-4C3A-831F-802F46B509E6}";
/// A group layer whose children can be changed (GroupLayer, WmsMapLayer).
inline constexpr std::string_view kGroupLayer = "{CBBC4395-F010-4DAC-8D3A-B6D6BA6E8869}";
/// A layer made of child layers (ICompositeLayer).
inline constexpr std::string_view kCompositeLayer = "{33FCF043-349B-40E9-A4A2-0B000AAC0A4C}";
/// A layer of a web map service (WmsMapLayer).
inline constexpr std::string_view kWmsMapLayer = "{8C19B114-1168-41A3-9E14-FC30CA5A4E9D}";
/// Anything stored in a workspace (IDataset).
inline constexpr std::string_view kDataset = "{17A8F545-0F47-4F85-8293-11D7614D89F1}";
/// Rows and fields (ITable).
inline constexpr std::string_view kTable = "{2C00937C-7F01-4D51-828D-9A821DDCB251}";
/// A table of features (IFeatureClass).
inline constexpr std::string_view kFeatureClass = "{393C3178-B8F5-4927-92D8-D2A270C73BB1}";
/// A workspace (IWorkspace).
inline constexpr std::string_view kWorkspace = "{07A5AE96-EBBF-4034-810B-50A52A50E122}";
/// A workspace whose tables open by name (IFeatureWorkspace).
inline constexpr std::string_view kFeatureWorkspace = "{03A701CC-1F1C-4690-BDEF-CFED00D1CB23}";
/// The single-file geodatabase workspace (IGeodatabaseWorkspace).
inline constexpr std::string_view kGeodatabaseWorkspace = "{4B21005E-01DF-4945-9038-ADCBD17A0F2E}";
/// A component the application starts and shuts down (IExtension).
inline constexpr std::string_view kExtension = "{7F657EC9-DBF1-11D2-9F2F-00C04F6BC69E}";
/// An extension the user switches on and off (IExtensionConfig).
inline constexpr std::string_view kExtensionConfig = "{12A4C258-CC9D-4CA7-9F29-79DED88DD45F}";
/// A toolbar command (ICommand).
inline constexpr std::string_view kCommand = "{36B06538-4437-11D1-B970-080009EE4E51}";
/// The definition of a dockable window (IDockableWindowDef).
inline constexpr std::string_view kDockableWindowDef = "{3D1FA10A-F154-11D3-A67E-0008C7DF97B9}";
} // namespace iid

/// Tells whether an object offers one interface; usually a dynamic_cast to the interface's class.
using InterfaceTest = std::function<bool(const platform::IUnknown&)>;

/// Makes an interface identifier known, so that SupportsInterface can answer for it; components with
/// interfaces of their own register them once. A later registration of the same identifier replaces the
/// earlier one. Raises 5 for a malformed identifier or an empty test.
void RegisterInterface(std::string_view iid_text, InterfaceTest supports);

/// Whether the object supports the interface the identifier names; false for an empty or unknown identifier.
/// The host's own interfaces (the iid constants) are always known.
bool SupportsInterface(const platform::IUnknown& object, const UID& iid);

} // namespace chronova::gis
