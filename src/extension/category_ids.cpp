#include "extension/category_ids.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "extension/name_based_uuid.h"
#include "platform/automation_error.h"
#include "platform/settings_store.h"

namespace chronova {
namespace {

// The category names in declaration order.
constexpr std::array<std::string_view, 321> kNames = {
    "ThreeDExtensions",
    "AdjustmentMethodPropertyPages",
    "AdjustmentPropertyPages",
    "AnimationPropertyPages",
    "AnnotateMapPropertyPages",
    "AnnotationEngines",
    "AnnotationExpresionPages",
    "AnnotationExpressionParsers",
    "AnnotationPlacementPages",
    "AnnotationPropertiesConverters",
    "ArcToolboxTools",
    "AreaPatches",
    "AttributeTransferTypes",
    "AVFSrcImporters",
    "AVThemeImporters",
    "Backgrounds",
    "Borders",
    "CadDrawingPropertyPages",
    "CadFeatureClassPropertyPages",
    "CadFeaturePropertyPages",
    "ClassificationMethods",
    "ClipboardFormats",
    "ColorCorrectionPages",
    "ColorPropertyPages",
    "ColorRamp",
    "ColorRampPropetyPages",
    "ContentsViews",
    "ContextAnalyzers",
    "CoverageFeatureClassPropertyPages",
    "CoveragePropertyPages",
    "DataExclusionPropertyPages",
    "DataGraphPropertyPages",
    "DataSamplingPropertyPages",
    "DataWindowFactory",
    "DDDAnimationTypes",
    "DimensionConstructors",
    "EditorExtensions",
    "EditorPropertyPages",
    "EditTasks",
    "ElementPropertyPages",
    "ESDAEngineMethods",
    "ExporterDrivers",
    "ExporterPropertyPages",
    "FeatureClassPropertyPages",
    "FeatureDatasetPropertyPages",
    "FeatureLayerSymbology",
    "FillSymbol",
    "FontMappingPropertyPages",
    "FrameElementPropertyPages",
    "GeoAnalysis",
    "GeodatabaseWorkspaceExtensions",
    "GeoElementTools",
    "GeographicCoordSysPropertyPages",
    "GeometricNetworkPropertyPages",
    "GeoObjectClassDescriptions",
    "GeoObjectClassExtensions",
    "GeoObjects",
    "GeoRefSaveAsDlg",
    "GeostatExtensions",
    "GNEditorPropertyPages",
    "GraphicSnapAgents",
    "GridLabels",
    "GSEngineMethods",
    "GSRenderers",
    "GxArcViewExportFeatureClassFilters",
    "GxArcViewExportTableFilters",
    "GxCadDataContextMenuCommands",
    "GxCadDrawingContextMenuCommands",
    "GxCadDrawingExportMenuCommands",
    "GxCadFeatureClassContextMenuCommands",
    "GxCadFeatureClassExportMenuCommands",
    "GxCadFeatureContextMenuCommands",
    "GxCadFeatureExportMenuCommands",
    "GxCatalogContextMenuCommands",
    "GxCatalogPropertyPages",
    "GxCommandBars",
    "GxCommands",
    "GxCoverageContextMenuCommands",
    "GxCoverageExportMenuCommands",
    "GxCoverageFeatureClassContextMenuCommands",
    "GxCoverageFeatureClassExportMenuCommands",
    "GxCoverageNewMenuCommands",
    "GxDatabaseContextMenuCommands",
    "GxDatabaseExtensions",
    "GxDatabaseImportMenuCommands",
    "GxDatabaseNewMenuCommands",
    "GxDataGraphContextMenuCommands",
    "GxDatasetContextMenuCommands",
    "GxDialogObjectFilters",
    "GxDiskConnectionContextMenuCommands",
    "GxDockableWindows",
    "GxEnabledWorkspaceFactories",
    "GxEnterpriseFeatureClassContextMenuCommands",
    "GxEnterpriseFeatureClassContextMenuCommandsAV",
    "GxEnterpriseFeatureDatasetContextMenuCommands",
    "GxEnterpriseRasterBandContextMenuCommands",
    "GxEnterpriseRasterDatasetContextMenuCommands",
    "GxEnterpriseRelationshipClassContextMenuCommands",
    "GxEnterpriseStandaloneFeatureClassContextMenuCommands",
    "GxEnterpriseStandaloneFeatureClassContextMenuCommandsAV",
    "GxEnterpriseTableContextMenuCommands",
    "GxEnterpriseTableContextMenuCommandsAV",
    "GxExportFeatureClassFilters",
    "GxExportTableFilters",
    "GxExtensions",
    "GxExtensionToolbar",
    "GxFeatureClassContextMenuCommands",
    "GxFeatureClassExportMenuCommands",
    "GxFeatureDatasetContextMenuCommands",
    "GxFeatureDatasetExportMenuCommands",
    "GxFeatureDatasetImportMenuCommands",
    "GxFeatureDatasetNewMenuCommands",
    "GxFileContextMenuCommands",
    "GxFilterFeatureClasses",
    "GxFilterFeatureDatasets",
    "GxFilterTables",
    "GxFolderContextMenuCommands",
    "GxFolderNewMenuCommands",
    "GxFolderNewMenuCommandsAV",
    "GxGeometricNetworkContextMenuCommands",
    "GxGridContextMenuCommands",
    "GxInfoTableContextMenuCommands",
    "GxInfoTableExportMenuCommands",
    "GxInfoTableToFeatureClassMenuCommands",
    "GxLayerContextMenuCommands",
    "GxLayerFilters",
    "GxLocatorContextMenuCommands",
    "GxLocatorFolderContextMenuCommands",
    "GxLocatorMenus",
    "GxMapContextMenuCommands",
    "GxMapPropertyPages",
    "GxMetadataExporter",
    "GxMetadataImporter",
    "GxMultipleSelectionContextMenuCommands",
    "GxObjectFactory",
    "GxObjectFilters",
    "GxOleDBDatabaseContextMenuCommands",
    "GxOleDBTableContextMenuCommands",
    "GxPalettes",
    "GxPCCoverageContextMenuCommands",
    "GxPCCoverageFeatureClassContextMenuCommands",
    "GxPMFMapContextMenuCommands",
    "GxPMFMapPropertyPages",
    "GxPre70CoverageContextMenuCommands",
    "GxPreviews",
    "GxPrjFileContextMenuCommands",
    "GxRasterBandContextMenuCommands",
    "GxRasterDatasetContextMenuCommands",
    "GxReadOnlyFeatureClassContextMenuCommands",
    "GxReadOnlyFeatureDatasetContextMenuCommands",
    "GxReadOnlyStandaloneFeatureClassContextMenuCommands",
    "GxReadOnlyTableContextMenuCommands",
    "GxRelationshipClassContextMenuCommands",
    "GxRemoteDatabaseContextMenuCommands",
    "GxRemoteDatabaseFolderContextMenuCommands",
    "GxRootObjects",
    "GxSceneContextMenuCommands",
    "GxScenePropertyPages",
    "GxSDCFeatureClassExportMenuCommands",
    "GxSDCTableExportMenuCommands",
    "GxSearchEngines",
    "GxShapefileFeatureClassContextMenuCommands",
    "GxShapefileFeatureClassExportMenuCommands",
    "GxShapefileTableContextMenuCommands",
    "GxShapefileTableExportMenuCommands",
    "GxShapefileTableToFeatureClassMenuCommands",
    "GxShortcutContextMenuCommands",
    "GxSpatialReferencesFolderContextMenuCommands",
    "GxSpatialReferencesFolderNewMenuCommands",
    "GxStandaloneFeatureClassContextMenuCommands",
    "GxStreetMapFeatureClassContextMenuCommands",
    "GxStreetMapFeatureClassExportMenuCommands",
    "GxStreetMapFeatureClassPropertyPages",
    "GxTableContextMenuCommands",
    "GxTableExportMenuCommands",
    "GxTableToFeatureClassMenuCommands",
    "GxTabViews",
    "GxTinContextMenuCommands",
    "GxViews",
    "GxVpfCoverageContextMenuCommands",
    "GxVpfCoverageExportMenuCommands",
    "GxVpfCoveragePropertyPages",
    "GxVpfFeatureClassContextMenuCommands",
    "GxVpfFeatureClassExportMenuCommands",
    "GxVpfFeatureClassPropertyPages",
    "GxVpfTableContextMenuCommands",
    "GxVpfTableExportMenuCommands",
    "GxVpfTablePropertyPages",
    "IdentifyObj",
    "ImportPathPropertyPages",
    "IMSMetadataServicePropertyPages",
    "InfoTablePropertyPages",
    "LabelStylePages",
    "LayerFactory",
    "LayerLabelsPropertyPages",
    "LayerPropertyPages",
    "LayerPropertySheet",
    "LegendItemPropSheets",
    "LegendItems",
    "LegendSymbolEditors",
    "LineDecorationElement",
    "LinePatches",
    "LineSymbol",
    "MapGridBorders",
    "MapGridFactory",
    "MapGridPropertyPages",
    "MapPropertyPages",
    "MarkerSymbol",
    "MBDerivedGeoDatasetProp",
    "MBGeoDatasetProp",
    "MBGeoOperationProp",
    "MBLayerProp",
    "MBMethodProp",
    "MBProcessProp",
    "MBTableProp",
    "MetadataEditor",
    "MetadataEditorPropertyPages",
    "MetadataSynchronizers",
    "MxCommandBars",
    "MxCommands",
    "MxDDECommandHandler",
    "MxDockableWindows",
    "MxDocumentDropTarget",
    "MxExtension",
    "MxFileMenuCommands",
    "MxFileMenuDefs",
    "MxFinders",
    "MxInsetWindowPages",
    "MxPalettes",
    "MxToolMenuCommands",
    "MxViewCommands",
    "NameStringParser",
    "NativeTypes",
    "NumberFormatPropertyPages",
    "OptionsPropertyPages",
    "Pictures",
    "PlugInWorkspaceFactoryHelpers",
    "Pre70CoveragePropertyPages",
    "PrinterDrivers",
    "PrinterPropertyPages",
    "ProjectedCoordSysPropertyPages",
    "PropertyPages",
    "RasterAnalysis",
    "RasterBandPropertyPages",
    "RasterConditionalOp",
    "RasterConversionOp",
    "RasterDataExclusionPropSheet",
    "RasterDatasetPropertyPages",
    "RasterDensityOp",
    "RasterDistanceOp",
    "RasterExportMenuCommands",
    "RasterExtractionOp",
    "RasterGeneralizeOp",
    "RasterGxExportFilters",
    "RasterHydrologyOp",
    "RasterInterpolationOp",
    "RasterLayerPropertyPages",
    "RasterLocalOp",
    "RasterMapAlgebraOp",
    "RasterMathOps",
    "RasterNeighborhoodOp",
    "RasterOverlayOp",
    "RasterRasterMakerOp",
    "RasterReclassOp",
    "RasterRendererMakers",
    "RasterStatEnvDialog",
    "RasterStatisticsOp",
    "RasterSurfaceOp",
    "RasterTransformationOp",
    "RasterZonalOp",
    "RelationshipClassPropertyPages",
    "RendererPropertyPages",
    "SAExtensions",
    "SAOperation",
    "ScaleBars",
    "SceneExporter3dDrivers",
    "SceneExporter3dPropertyPages",
    "SceneExporterVideoDrivers",
    "SceneExporterVideoPropertyPages",
    "ScenePropertyPages",
    "SearchResultsContextMenuCommands",
    "Shadows",
    "ShapefileFeatureClassPropertyPages",
    "ShapefileTablePropertyPages",
    "SketchMenuCommands",
    "SketchToolMenuCommands",
    "SnapAgents",
    "StandaloneTablePropertyPages",
    "StyleGalleryClasses",
    "StyleImporter",
    "StylePropertyPages",
    "SxCommandBars",
    "SxCommands",
    "SxContentsViews",
    "SxContextAnalyzers",
    "SxDockableWindows",
    "SxExtensions",
    "SxFinders",
    "SxLayerPropertyPages",
    "SxOptionsPropertyPages",
    "SxPalettes",
    "SxPropertyPages",
    "SxRootObjects",
    "SymbolPropertyPages",
    "TablePropertyPages",
    "TableWindowPropertyPages",
    "TextBackground",
    "TextBackgroundPropertyPages",
    "TextFilePropertyPages",
    "TextSymbol",
    "TinDatasetPropertyPages",
    "TinRendererPropertyPages",
    "TraceTasks",
    "TransformationMethods",
    "UtilityNetworkAnalysisGNPropertyPages",
    "UtilityNetworkAnalysisPropertyPages",
    "UtilityNetworkTasks",
    "VersionPropertyPages",
    "WorkspaceDomainsPropertyPages",
    "WorkspaceFactory",
    "WorkspacePropertyPages",
};

// The categories whose published identifiers are known.
constexpr std::pair<std::string_view, std::string_view> kPublished[] = {
    {"MxCommands", "{B56A7C42-83D4-11D2-A2E9-080009B6F22B}"},
    {"MxDockableWindows", "{117623B5-F9D1-11D3-A67F-0008C7DF97B9}"},
    {"MxExtension", "{B56A7C45-83D4-11D2-A2E9-080009B6F22B}"},
    {"MxCommandBars", "{B56A7C4A-83D4-11D2-A2E9-080009B6F22B}"},
    {"GxCommands", "{5F08CBCA-E91F-11D1-AEE8-080009EC734B}"},
    {"ThreeDExtensions", "{A1523ADD-FB91-11D4-80FC-00C04FA0ADF8}"},
};

constexpr std::string_view kDerivedNamePrefix = "urn:chronova:component-category:";

// Every name's identifier, worked out once.
const std::map<std::string_view, std::string>& Identifiers() {
    static const std::map<std::string_view, std::string> identifiers = [] {
        std::map<std::string_view, std::string> table;
        for (const std::string_view name : kNames) {
            table.emplace(name, NameBasedUuid(kUrlNamespace, std::string(kDerivedNamePrefix) + std::string(name)));
        }
        for (const auto& [name, id] : kPublished) {
            table.at(name) = std::string(id);
        }
        return table;
    }();
    return identifiers;
}

} // namespace

std::span<const std::string_view> CategoryIDs::Names() {
    return kNames;
}

gis::UID CategoryIDs::Category(std::string_view name) const {
    const auto& identifiers = Identifiers();
    const auto found = identifiers.find(name);
    if (found == identifiers.end()) {
        platform::RaiseError(platform::error::kNotSupported, "'" + std::string(name) + "' is no component category.");
    }
    return gis::UID(found->second);
}

gis::UID CategoryIDs::MxCommands() const {
    return Category("MxCommands");
}

gis::UID CategoryIDs::MxDockableWindows() const {
    return Category("MxDockableWindows");
}

gis::UID CategoryIDs::MxExtension() const {
    return Category("MxExtension");
}

gis::UID CategoryIDs::MxCommandBars() const {
    return Category("MxCommandBars");
}

gis::UID CategoryIDs::GxCommands() const {
    return Category("GxCommands");
}

gis::UID CategoryIDs::ThreeDExtensions() const {
    return Category("ThreeDExtensions");
}

bool CategoryIDs::VerifyCategoryID(std::string_view ProgID_or_IID) const {
    return KeyExistsFor("Component Categories", ProgID_or_IID);
}

bool CategoryIDs::VerifyCLSID(std::string_view ProgID_or_IID) const {
    return KeyExistsFor("CLSID", ProgID_or_IID);
}

std::optional<gis::UID> CategoryIDs::MakeUID(std::string_view ProgID_or_IID) const {
    gis::UID uid;
    try {
        uid.Value(ProgID_or_IID);
    } catch (const platform::AutomationError& e) {
        if (e.Number() == platform::error::kInvalidProcedureCall) {
            return std::nullopt;
        }
        throw;
    }
    return uid;
}

bool CategoryIDs::KeyExistsFor(std::string_view parent_key, std::string_view ProgID_or_IID) const {
    std::string guid(ProgID_or_IID);
    // A braced text is used as it is, without making a UID; anything else is a ProgID to resolve.
    if (!ProgID_or_IID.starts_with('{') && !ProgID_or_IID.ends_with('}')) {
        const auto uid = MakeUID(ProgID_or_IID);
        if (!uid) {
            return false;
        }
        guid = uid->Value();
    }
    return platform::SettingsStore().KeyExists(platform::HKEY_CLASSES_ROOT, std::string(parent_key) + "\\" + guid);
}

} // namespace chronova
