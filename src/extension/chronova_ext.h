#pragma once

#include <cstdint>
#include <string>

#include "gis/map/extension.h"
#include "platform/event.h"

namespace chronova {

/// The extension the host starts with the system. It hands the host application to the rest of the system
/// (g_pApp), follows the document's new, open and close events, and on each new or opened document, and on every
/// change of its enabled state while a document is open, configures the host: the time command on the host's
/// toolbar or off it, the slider's dockable window shown and docked or hidden, and the display settings loaded.
/// The first time the extension is switched off, ever, for a user, it tells the user where to switch it on.
/// Every callback shows its own errors.
class ChronovaExt : public gis::IExtension, public gis::IExtensionConfig {
public:
    ChronovaExt();
    ~ChronovaExt() override;
    ChronovaExt(const ChronovaExt&) = delete;
    ChronovaExt& operator=(const ChronovaExt&) = delete;

    // IExtension
    /// "Chronova.ChronovaExt".
    std::string Name() const override;
    /// With the host's application object: keeps it in g_pApp (unless one is there), follows its document and
    /// reads whether the hint was shown. With anything else: says that the extension needs this host.
    void Startup(const platform::ObjectRef& initializationData) override;
    void Shutdown() override;

    // IExtensionConfig
    std::string ProductName() const override;
    /// Product, version, copyright and comments from the component's version information.
    std::string Description() const override;
    int32_t State() const override;
    /// Enabled and disabled reconfigure the open document; the first disabling also shows the hint once per
    /// user; unavailable says the installation is broken.
    void State(int32_t value) override;

private:
    void ConfigureChronovaExt();
    void LoadDisplaySettings();
    void Reset();
    void OnDocumentShown(const char* procedure);
    void OnCloseDocument();
    void ShowHintOnce();

    int32_t lExtensionState = 0;
    bool bPremiered = false;
    bool bConfigured = false;
    platform::ScopedConnection new_document_;
    platform::ScopedConnection open_document_;
    platform::ScopedConnection close_document_;
};

} // namespace chronova
