#include "apps/desktop/layer_tree.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include "gis/layers/layer.h"
#include "gis/map/map.h"

namespace chronova::desktop {

namespace {

std::vector<std::shared_ptr<gis::ILayer>> ChildrenOf(const std::shared_ptr<gis::ILayer>& layer) {
    std::vector<std::shared_ptr<gis::ILayer>> children;
    if (const auto group = std::dynamic_pointer_cast<gis::ICompositeLayer>(layer)) {
        for (int32_t i = 0; i < group->Count(); ++i) {
            children.push_back(group->Layer(i));
        }
    }
    return children;
}

} // namespace

LayerTree::LayerTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    QObject::connect(this, &QTreeWidget::itemChanged, this,
                     [this](QTreeWidgetItem* item, int) { OnItemChanged(item); });
}

void LayerTree::Bind(std::shared_ptr<gis::Map> map) {
    connections_.clear();
    map_ = std::move(map);
    if (map_) {
        gis::ActiveViewEvents& events = map_->Events();
        connections_.emplace_back(events.ItemAdded.Connect([this](const std::shared_ptr<gis::ILayer>&) { Sync(); }));
        connections_.emplace_back(events.ItemDeleted.Connect([this](const std::shared_ptr<gis::ILayer>&) { Sync(); }));
        connections_.emplace_back(
            events.ItemReordered.Connect([this](const std::shared_ptr<gis::ILayer>&, int32_t) { Sync(); }));
        connections_.emplace_back(events.ContentsChanged.Connect([this] { Sync(); }));
    }
    Rebuild();
}

LayerTree::Outline LayerTree::OutlineOfMap() const {
    Outline outline;
    if (!map_) {
        return outline;
    }
    std::vector<std::pair<std::shared_ptr<gis::ILayer>, int>> pending;
    for (int32_t i = map_->LayerCount() - 1; i >= 0; --i) {
        pending.emplace_back(map_->Layer(i), 0);
    }
    while (!pending.empty()) {
        auto [layer, depth] = std::move(pending.back());
        pending.pop_back();
        outline.emplace_back(layer.get(), depth);
        const auto children = ChildrenOf(layer);
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            pending.emplace_back(*child, depth + 1);
        }
    }
    return outline;
}

void LayerTree::Sync() {
    if (OutlineOfMap() != outline_) {
        Rebuild();
    } else {
        UpdateItems();
    }
}

void LayerTree::Rebuild() {
    const QSignalBlocker blocker(this);
    clear();
    items_.clear();
    outline_ = OutlineOfMap();
    if (!map_) {
        return;
    }
    std::vector<std::shared_ptr<gis::ILayer>> top;
    top.reserve(static_cast<size_t>(map_->LayerCount()));
    for (int32_t i = 0; i < map_->LayerCount(); ++i) {
        top.push_back(map_->Layer(i));
    }
    AddItems(nullptr, top);
    expandAll();
}

void LayerTree::AddItems(QTreeWidgetItem* parent, const std::vector<std::shared_ptr<gis::ILayer>>& layers) {
    for (const auto& layer : layers) {
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setText(0, QString::fromStdString(layer->Name()));
        item->setCheckState(0, layer->Visible() ? Qt::Checked : Qt::Unchecked);
        items_.emplace_back(item, layer);
        AddItems(item, ChildrenOf(layer));
    }
}

void LayerTree::UpdateItems() {
    const QSignalBlocker blocker(this);
    for (const auto& [item, layer] : items_) {
        const QString name = QString::fromStdString(layer->Name());
        if (item->text(0) != name) {
            item->setText(0, name);
        }
        const Qt::CheckState state = layer->Visible() ? Qt::Checked : Qt::Unchecked;
        if (item->checkState(0) != state) {
            item->setCheckState(0, state);
        }
    }
}

QTreeWidgetItem* LayerTree::ItemOf(const gis::ILayer& layer) const {
    for (const auto& [item, known] : items_) {
        if (known.get() == &layer) {
            return item;
        }
    }
    return nullptr;
}

std::shared_ptr<gis::ILayer> LayerTree::LayerOf(const QTreeWidgetItem* item) const {
    for (const auto& [known_item, layer] : items_) {
        if (known_item == item) {
            return layer;
        }
    }
    return nullptr;
}

void LayerTree::OnItemChanged(QTreeWidgetItem* item) {
    const std::shared_ptr<gis::ILayer> layer = LayerOf(item);
    if (!layer || !map_) {
        return;
    }
    const bool visible = item->checkState(0) == Qt::Checked;
    if (layer->Visible() == visible) {
        return;
    }
    layer->Visible(visible);
    map_->PartialRefresh(gis::view_phase::kGeography, layer, std::nullopt);
}

} // namespace chronova::desktop
