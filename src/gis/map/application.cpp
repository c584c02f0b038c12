#include "gis/map/application.h"

#include <algorithm>
#include <utility>

#include "gis/host_errors.h"
#include "gis/map/extension_states.h"
#include "platform/automation_error.h"

namespace chronova::gis {

std::shared_ptr<Application> Application::Create(int32_t window_handle) {
    auto application = std::make_shared<Application>(Token{}, window_handle);
    // The manager hands the application to the windows it creates; it must not keep it alive.
    application->dockable_windows_ =
        std::make_shared<gis::DockableWindowManager>(std::weak_ptr<platform::IUnknown>(application));
    return application;
}

Application::Application(Token, int32_t window_handle)
    : window_handle_(window_handle), document_(std::make_shared<gis::Document>()),
      status_bar_(std::make_shared<gis::StatusBar>()) {
    // Failures the host recovers from are shown where a desktop host shows them: in the message pane.
    host_errors_ = HostErrorReported().Connect(
        [status_bar = status_bar_.get()](const std::string& message) { status_bar->Message(0, message); });
}

// Held by value, so the extension outlives its Startup whatever the caller's pointer does.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void Application::AddExtension(std::shared_ptr<IExtension> extension) {
    if (!extension) {
        platform::RaiseError(platform::error::kObjectNotSet, "No extension was given to the application.");
    }
    if (FindExtensionByName(extension->Name())) {
        platform::RaiseError(platform::error::kKeyAlreadyAssociated,
                             "An extension named '" + extension->Name() + "' is loaded already.");
    }
    extensions_.push_back(extension);
    extension->Startup(shared_from_this());
}

std::shared_ptr<IExtension> Application::FindExtensionByName(std::string_view name) const {
    const auto found = std::find_if(extensions_.begin(), extensions_.end(),
                                    [&](const auto& extension) { return extension->Name() == name; });
    return found != extensions_.end() ? *found : nullptr;
}

void Application::EnableExtension(std::string_view name, bool enabled) {
    const auto config = std::dynamic_pointer_cast<IExtensionConfig>(FindExtensionByName(name));
    if (!config) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "No extension named '" + std::string(name) + "' can be switched on or off.");
    }
    const auto state = enabled ? ExtensionState::Enabled : ExtensionState::Disabled;
    RememberExtensionState(name, state);
    config->State(static_cast<int32_t>(state));
}

// Held by value, so the command outlives its OnCreate whatever the caller's pointer does.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void Application::AddCommand(const UID& clsid, std::shared_ptr<ICommand> command) {
    if (!command) {
        platform::RaiseError(platform::error::kObjectNotSet, "No command was given to the application.");
    }
    if (clsid.IsEmpty()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A UID without a value names nothing.");
    }
    if (FindCommand(clsid)) {
        platform::RaiseError(platform::error::kKeyAlreadyAssociated,
                             "A command of the class " + clsid.Value() + " exists already.");
    }
    commands_.emplace_back(clsid, command);
    command->OnCreate(shared_from_this());
}

std::shared_ptr<ICommand> Application::FindCommand(const UID& clsid) const {
    const auto found =
        std::find_if(commands_.begin(), commands_.end(), [&](const auto& entry) { return entry.first == clsid; });
    return found != commands_.end() ? found->second : nullptr;
}

bool Application::ClickCommand(const UID& clsid) {
    const auto command = FindCommand(clsid);
    if (!command || !command->Enabled()) {
        return false;
    }
    command->OnClick();
    return true;
}

void Application::NewDocument() {
    std::vector<std::shared_ptr<Map>> maps{std::make_shared<Map>("Layers")};
    Replace(std::move(maps), {}, document_->Events().NewDocument);
}

void Application::OpenDocument(const std::string& path) {
    std::vector<std::shared_ptr<Map>> maps;
    if (loader_) {
        maps = loader_(path);
    }
    if (std::none_of(maps.begin(), maps.end(), [](const auto& map) { return map != nullptr; })) {
        maps = {std::make_shared<Map>("Layers")};
    }
    Replace(std::move(maps), path, document_->Events().OpenDocument);
}

void Application::Replace(std::vector<std::shared_ptr<Map>> maps, std::string path, platform::Event<>& finished) {
    // Handlers may release the application or replace views; these keep everything used here alive.
    const auto self = shared_from_this();
    const std::shared_ptr<gis::Document> document = document_;
    document->Events().CloseDocument.Fire();
    document->Clear();
    document->ReplaceContents(std::move(maps), std::move(path));
    finished.Fire();
}

void Application::CloseDocument() {
    const auto self = shared_from_this();
    const std::shared_ptr<gis::Document> document = document_;
    document->Events().CloseDocument.Fire();
    document->Clear();
}

void Application::Shutdown() {
    if (shut_down_) {
        return;
    }
    shut_down_ = true;
    const auto self = shared_from_this();
    dockable_windows_->DestroyAll();
    // Taken first: a command may reach back into the application as it goes.
    auto commands = std::exchange(commands_, {});
    commands.clear();
    const std::vector<std::shared_ptr<IExtension>> extensions = std::exchange(extensions_, {});
    for (auto extension = extensions.rbegin(); extension != extensions.rend(); ++extension) {
        (*extension)->Shutdown();
    }
}

} // namespace chronova::gis
