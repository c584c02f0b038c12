#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gis/uid.h"
#include "platform/variant.h"

namespace chronova::gis {

/// The identifier of the host's standard toolbar, which components put their commands on.
inline constexpr std::string_view kStandardToolbarId = "{5DEB1DB8-C2A9-11D1-B9A2-080009EE4E51}";

/// One command placed on a toolbar, known by the identifier of the command's class.
class CommandItem : public virtual platform::IUnknown {
public:
    explicit CommandItem(UID id) : id_(std::move(id)) {}
    const UID& ID() const noexcept { return id_; }

private:
    UID id_;
};

/// A toolbar: an ordered row of commands.
class CommandBar : public virtual platform::IUnknown {
public:
    CommandBar(UID id, std::string caption) : id_(std::move(id)), caption_(std::move(caption)) {}

    const UID& ID() const noexcept { return id_; }
    const std::string& Caption() const noexcept { return caption_; }

    /// The item of the command with this identifier, or null.
    std::shared_ptr<CommandItem> Find(const UID& command) const;
    /// Puts a command on the bar at a 0-based position (-1 or Count() appends) and returns its item. Raises 5
    /// for an empty identifier and 9 for a position out of range.
    std::shared_ptr<CommandItem> Add(const UID& command, int32_t index = -1);
    /// Takes an item off the bar; an item that is not on it changes nothing.
    void Delete(const std::shared_ptr<CommandItem>& item);

    int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }
    /// Raises 9 out of range.
    std::shared_ptr<CommandItem> Item(int32_t index) const;

private:
    UID id_;
    std::string caption_;
    std::vector<std::shared_ptr<CommandItem>> items_;
};

/// The document's toolbars. A new collection holds the standard toolbar.
class CommandBars : public virtual platform::IUnknown {
public:
    CommandBars();

    /// The toolbar with this identifier, or null.
    std::shared_ptr<CommandBar> Find(const UID& id) const;
    /// Creates a toolbar; raises 5 for an empty identifier and 457 for one that exists.
    std::shared_ptr<CommandBar> Create(const UID& id, std::string caption);

    const std::vector<std::shared_ptr<CommandBar>>& Bars() const noexcept { return bars_; }

private:
    std::vector<std::shared_ptr<CommandBar>> bars_;
};

} // namespace chronova::gis
