#include "gis/map/application.h"

#include <algorithm>
#include <utility>

#include "gis/host_errors.h"
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
    const std::vector<std::shared_ptr<IExtension>> extensions = std::exchange(extensions_, {});
    for (auto extension = extensions.rbegin(); extension != extensions.rend(); ++extension) {
        (*extension)->Shutdown();
    }
}

} // namespace chronova::gis
