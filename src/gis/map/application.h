#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gis/map/command.h"
#include "gis/map/dockable_window.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/status_bar.h"
#include "gis/uid.h"
#include "platform/event.h"
#include "platform/variant.h"

namespace chronova::gis {

/// The running host: its one document, main window, extensions, commands, status bar and dockable windows. It replaces
/// the document's contents as a desktop host does on new, open and close, with the same events.
class Application : public virtual platform::IUnknown, public std::enable_shared_from_this<Application> {
    struct Token {};

public:
    /// Reads a document file into its maps; the first map becomes the focus map.
    using Loader = std::function<std::vector<std::shared_ptr<Map>>(const std::string& path)>;

    /// An application with a new document; window_handle is the number its main window is known by.
    static std::shared_ptr<Application> Create(int32_t window_handle = 1);
    Application(Token, int32_t window_handle);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const std::shared_ptr<gis::Document>& Document() const noexcept { return document_; }
    int32_t hWnd() const noexcept { return window_handle_; }

    /// Loads an extension: keeps it and calls its Startup with this application. Raises 91 for no
    /// extension and 457 for a name that is taken.
    void AddExtension(std::shared_ptr<IExtension> extension);
    /// The extension with exactly this name, or null.
    std::shared_ptr<IExtension> FindExtensionByName(std::string_view name) const;
    /// Switches an extension on or off as the user does in the extensions dialog: sets its state and remembers
    /// it for the next start (gis/map/extension_states.h). Raises 5 for an extension that is not loaded or
    /// cannot be switched.
    void EnableExtension(std::string_view name, bool enabled);

    /// Keeps a command under its class identifier and calls its OnCreate with this application. Raises 91 for
    /// no command, 5 for an empty identifier and 457 for one that is taken.
    void AddCommand(const UID& clsid, std::shared_ptr<ICommand> command);
    /// The command of the class, or null.
    std::shared_ptr<ICommand> FindCommand(const UID& clsid) const;
    /// Clicks a command for the user: its OnClick runs when the command is there and enabled. False when it
    /// did not run.
    bool ClickCommand(const UID& clsid);

    gis::StatusBar& StatusBar() noexcept { return *status_bar_; }
    gis::DockableWindowManager& DockableWindowManager() noexcept { return *dockable_windows_; }

    /// How OpenDocument reads files; without a loader every file opens as one empty map.
    void DocumentLoader(Loader loader) { loader_ = std::move(loader); }

    /// Closes the current document (CloseDocument fires while it still has its maps), gives it one empty map
    /// named "Layers" (FocusMapChanged and MapsChanged fire) and fires NewDocument.
    void NewDocument();
    /// Reads the file first, so a file that cannot be read leaves the current document as it is; then as
    /// NewDocument with the file's maps, firing OpenDocument at the end.
    void OpenDocument(const std::string& path);
    /// Fires CloseDocument, then leaves the document without maps.
    void CloseDocument();
    /// Destroys the dockable windows, releases the commands and shuts the extensions down, latest first; a
    /// second call does nothing.
    void Shutdown();

private:
    void Replace(std::vector<std::shared_ptr<Map>> maps, std::string path, platform::Event<>& finished);

    int32_t window_handle_;
    std::shared_ptr<gis::Document> document_;
    std::vector<std::shared_ptr<IExtension>> extensions_;
    std::vector<std::pair<UID, std::shared_ptr<ICommand>>> commands_;
    std::shared_ptr<gis::StatusBar> status_bar_;
    std::shared_ptr<gis::DockableWindowManager> dockable_windows_;
    Loader loader_;
    bool shut_down_ = false;
    // Declared last so it ends before the status bar it writes to.
    platform::ScopedConnection host_errors_;
};

} // namespace chronova::gis
