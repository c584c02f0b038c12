#pragma once

class QMainWindow;

namespace chronova::desktop {

/// The main window's size, place and dock arrangement, kept in the user's settings store
/// (HKEY_CURRENT_USER "Software\Chronova\Desktop\Window") so that the next start looks as the user left it.
class WindowLayout {
public:
    /// Stores the window's geometry and the state of its docks and tool bars; a store that cannot be written
    /// keeps what it had.
    static void Save(const QMainWindow& window);
    /// Puts back what Save stored; false (and the window as it is) when nothing usable is stored.
    static bool Restore(QMainWindow& window);
};

} // namespace chronova::desktop
