#include "apps/desktop/host_docks.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>

#include "apps/desktop/views/slider_window_view.h"
#include "extension/class_ids.h"
#include "gis/map/dockable_window.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"

namespace chronova::desktop {

namespace {

QString DockTitle(const gis::DockableWindow& window) {
    const std::string caption = window.Caption();
    return QString::fromStdString(caption.empty() ? window.ID().Value() : caption);
}

} // namespace

HostDocks::HostDocks(QMainWindow& main_window, const std::vector<std::shared_ptr<gis::DockableWindow>>& windows,
                     std::function<void()> user_toggled)
    : user_toggled_(std::move(user_toggled)) {
    for (const auto& window : windows) {
        auto* dock = new QDockWidget(DockTitle(*window), &main_window);
        dock->setObjectName("dock " + QString::fromStdString(window->ID().Value()));
        dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
        dock->setWidget(ContentOf(*window, dock));
        main_window.addDockWidget(Qt::BottomDockWidgetArea, dock);
        dock->setVisible(window->IsVisible());

        // Each side follows the other; the flag keeps a change from echoing back.
        auto following = std::make_shared<bool>(false);
        QPointer<QDockWidget> guarded(dock);
        connections_.emplace_back(window->VisibilityChanged.Connect([guarded, following](bool visible) {
            if (guarded && guarded->isHidden() == visible) {
                *following = true;
                guarded->setVisible(visible);
                *following = false;
            }
        }));
        std::weak_ptr<gis::DockableWindow> weak = window;
        QObject::connect(dock->toggleViewAction(), &QAction::toggled, dock, [this, weak, following](bool visible) {
            const auto host_window = weak.lock();
            if (*following || !host_window || host_window->IsVisible() == visible) {
                return;
            }
            host_window->Show(visible);
            if (user_toggled_) {
                user_toggled_();
            }
        });
        docks_.push_back(dock);
        ids_.push_back(window->ID());
    }
}

HostDocks::~HostDocks() {
    connections_.clear();
    for (QDockWidget* dock : docks_) {
        delete dock;
    }
}

QWidget* HostDocks::ContentOf(const gis::DockableWindow& window, QWidget* parent) const {
    if (window.ID() == gis::UID(kCLSID_TimeToolbar) && g_pChronovaData && g_pChronovaData->Slider() != nullptr) {
        return new SliderWindowView(*g_pChronovaData->Slider(), parent);
    }
    auto* label = new QLabel(DockTitle(window), parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QDockWidget* HostDocks::DockOf(const gis::UID& window) const {
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == window) {
            return docks_[i];
        }
    }
    return nullptr;
}

} // namespace chronova::desktop
