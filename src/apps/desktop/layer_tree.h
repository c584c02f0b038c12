#pragma once

#include <QTreeWidget>
#include <memory>
#include <utility>
#include <vector>

#include "platform/event.h"

namespace chronova::gis {
class ILayer;
class Map;
} // namespace chronova::gis

namespace chronova::desktop {

/// The table of contents: the map's layers top first, groups as parents of their layers, each with a check box
/// for its visibility. Names are the layers' names as they are now (the system writes the step shown into them
/// when it labels the table of contents), followed whenever the map's contents change. Unchecking a layer hides it
/// and asks the map to redraw it.
class LayerTree : public QTreeWidget {
public:
    explicit LayerTree(QWidget* parent = nullptr);

    /// Lists a map's layers (none empties the tree).
    void Bind(std::shared_ptr<gis::Map> map);
    /// Brings names, check boxes and structure up to date with the map.
    void Sync();

    /// The item of a layer, or null.
    QTreeWidgetItem* ItemOf(const gis::ILayer& layer) const;
    /// The layer of an item, or null.
    std::shared_ptr<gis::ILayer> LayerOf(const QTreeWidgetItem* item) const;

private:
    // The layers as the tree shows them: each with its depth, top first.
    using Outline = std::vector<std::pair<const gis::ILayer*, int>>;

    Outline OutlineOfMap() const;
    void Rebuild();
    void AddItems(QTreeWidgetItem* parent, const std::vector<std::shared_ptr<gis::ILayer>>& layers);
    void UpdateItems();
    void OnItemChanged(QTreeWidgetItem* item);

    std::shared_ptr<gis::Map> map_;
    std::vector<platform::ScopedConnection> connections_;
    std::vector<std::pair<QTreeWidgetItem*, std::shared_ptr<gis::ILayer>>> items_;
    Outline outline_;
};

} // namespace chronova::desktop
