#include "gis/component_categories.h"

#include <algorithm>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/settings_file.h"

namespace chronova::gis {
namespace {

using platform::HKEY_CLASSES_ROOT;

constexpr std::string_view kCategoriesKey = "Component Categories";
constexpr std::string_view kClassesKey = "CLSID";
constexpr std::string_view kImplementedKey = "Implemented Categories";
constexpr std::string_view kServerKey = "InprocServer32";
// The registry names a category's description by the language it is written in; 409 is US English.
constexpr std::string_view kDescriptionValue = "409";
// Where the settings store keeps the classes hive inside the machine file.
constexpr std::string_view kClassesHiveInFile = "SOFTWARE\\Classes\\";

const std::string& Checked(const UID& id) {
    if (id.IsEmpty()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A UID without a value names nothing.");
    }
    return id.Value();
}

std::string CategoryKey(const UID& category) {
    return std::string(kCategoriesKey) + "\\" + Checked(category);
}

std::string ClassKey(const UID& object) {
    return std::string(kClassesKey) + "\\" + Checked(object);
}

std::string MembershipKey(const UID& object, const UID& category) {
    return ClassKey(object) + "\\" + std::string(kImplementedKey) + "\\" + Checked(category);
}

std::vector<std::string_view> Segments(std::string_view key) {
    std::vector<std::string_view> segments;
    while (!key.empty()) {
        const size_t end = key.find('\\');
        segments.push_back(key.substr(0, end));
        key.remove_prefix(end == std::string_view::npos ? key.size() : end + 1);
    }
    return segments;
}

// A key below CLSID of the form {class}\Implemented Categories\{category}: its class and category.
struct Membership {
    std::string object;
    std::string category;
};

std::optional<Membership> MembershipOf(std::string_view key) {
    const auto segments = Segments(key);
    if (segments.size() < 4 || !platform::SettingsNamesEqual(segments[2], kImplementedKey)) {
        return std::nullopt;
    }
    auto object = NormalizeGuid(segments[1]);
    auto category = NormalizeGuid(segments[3]);
    if (!object || !category) {
        return std::nullopt;
    }
    return Membership{std::move(*object), std::move(*category)};
}

void AddOnce(std::vector<UID>& ids, const std::string& guid) {
    const UID id(guid);
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
        ids.push_back(id);
    }
}

} // namespace

void ComponentCategoryManager::Create(const UID& category, std::string_view description) {
    Write(store_.WriteValue(HKEY_CLASSES_ROOT, CategoryKey(category), kDescriptionValue,
                            platform::SettingsValue::String(description)));
}

void ComponentCategoryManager::SetupObject(std::string_view path, const UID& object, const UID& category,
                                           bool install) {
    const std::string membership = MembershipKey(object, category);
    if (!install) {
        if (store_.KeyExists(HKEY_CLASSES_ROOT, membership)) {
            Write(store_.DeleteKey(HKEY_CLASSES_ROOT, membership));
        }
        return;
    }
    if (!CategoryExists(category)) {
        Write(store_.CreateKey(HKEY_CLASSES_ROOT, CategoryKey(category)));
    }
    Write(store_.WriteValue(HKEY_CLASSES_ROOT, ClassKey(object) + "\\" + std::string(kServerKey), "",
                            platform::SettingsValue::String(path)));
    Write(store_.CreateKey(HKEY_CLASSES_ROOT, membership));
}

bool ComponentCategoryManager::CategoryExists(const UID& category) const {
    return store_.KeyExists(HKEY_CLASSES_ROOT, CategoryKey(category));
}

std::string ComponentCategoryManager::Description(const UID& category) const {
    const auto value = store_.ReadValue(HKEY_CLASSES_ROOT, CategoryKey(category), kDescriptionValue);
    return value && value->type == platform::ValueType::RegSz ? value->text : std::string();
}

bool ComponentCategoryManager::IsInCategory(const UID& object, const UID& category) const {
    return store_.KeyExists(HKEY_CLASSES_ROOT, MembershipKey(object, category));
}

std::vector<UID> ComponentCategoryManager::ClassesOfCategory(const UID& category) const {
    const std::string& wanted = Checked(category);
    std::vector<UID> classes;
    for (const auto& key : ClassKeys()) {
        if (const auto membership = MembershipOf(key); membership && membership->category == wanted) {
            AddOnce(classes, membership->object);
        }
    }
    return classes;
}

std::vector<UID> ComponentCategoryManager::CategoriesOfClass(const UID& object) const {
    const std::string& wanted = Checked(object);
    std::vector<UID> categories;
    for (const auto& key : ClassKeys()) {
        if (const auto membership = MembershipOf(key); membership && membership->object == wanted) {
            AddOnce(categories, membership->category);
        }
    }
    return categories;
}

std::string ComponentCategoryManager::ServerPath(const UID& object) const {
    const auto value = store_.ReadValue(HKEY_CLASSES_ROOT, ClassKey(object) + "\\" + std::string(kServerKey), "");
    return value && value->type == platform::ValueType::RegSz ? value->text : std::string();
}

std::vector<std::string> ComponentCategoryManager::ClassKeys() const {
    // The store opens keys but does not list them, so listing reads the hive's file the way the store writes
    // it. A file that cannot be read lists nothing, as a hive that cannot be opened would.
    const auto contents = platform::ReadWholeFile(store_.FileOf(HKEY_CLASSES_ROOT));
    if (!contents.error.empty()) {
        return {};
    }
    const std::string prefix = std::string(kClassesHiveInFile) + std::string(kClassesKey) + "\\";
    std::vector<std::string> keys;
    for (const auto& entry : platform::ParseSettingsText(contents.data).entries) {
        if (entry.key.size() > prefix.size() &&
            platform::SettingsNamesEqual(std::string_view(entry.key).substr(0, prefix.size()), prefix)) {
            keys.push_back(entry.key.substr(kClassesHiveInFile.size()));
        }
    }
    return keys;
}

void ComponentCategoryManager::Write(bool written) const {
    if (!written) {
        platform::RaiseError(platform::error::kPathFileAccess, "The component categories cannot be written to " +
                                                                   store_.FileOf(HKEY_CLASSES_ROOT).string() + ".");
    }
}

} // namespace chronova::gis
