#include "apps/desktop/window_layout.h"

#include <QByteArray>
#include <QMainWindow>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace chronova::desktop {

namespace {

constexpr std::string_view kWindowKey = "Software\\Chronova\\Desktop\\Window";
constexpr std::string_view kGeometry = "Geometry";
constexpr std::string_view kDocks = "Docks";

// Qt's layout blobs are binary; the settings store keeps them as base64 text.
void Write(platform::SettingsStore& store, std::string_view name, const QByteArray& blob) {
    store.WriteValue(platform::HKEY_CURRENT_USER, kWindowKey, name,
                     platform::SettingsValue::String(blob.toBase64().toStdString()));
}

std::optional<QByteArray> Read(const platform::SettingsStore& store, std::string_view name) {
    const auto value = store.ReadValue(platform::HKEY_CURRENT_USER, kWindowKey, name);
    if (!value || value->type != platform::ValueType::RegSz || value->text.empty()) {
        return std::nullopt;
    }
    return QByteArray::fromBase64(QByteArray::fromStdString(value->text));
}

} // namespace

void WindowLayout::Save(const QMainWindow& window) {
    platform::SettingsStore store;
    Write(store, kGeometry, window.saveGeometry());
    Write(store, kDocks, window.saveState());
}

bool WindowLayout::Restore(QMainWindow& window) {
    const platform::SettingsStore store;
    const auto geometry = Read(store, kGeometry);
    const auto docks = Read(store, kDocks);
    bool restored = geometry && window.restoreGeometry(*geometry);
    // Docks of components that are not loaded this time are simply left out by Qt.
    restored = (docks && window.restoreState(*docks)) || restored;
    return restored;
}

} // namespace chronova::desktop
