#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace chronova::gis {

/// The picture of a toolbar button: Width x Height pixels, 0xAARRGGBB, row by row from the top. A pixel with
/// alpha 0 lets the toolbar show through.
struct CommandBitmap {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;

    /// The pixel at column x, row y; raises 9 outside the picture.
    uint32_t Pixel(int32_t x, int32_t y) const;
};

/// A command a component adds to the host: a toolbar button that the host shows as the command describes
/// itself and clicks for the user.
class ICommand : public virtual platform::IUnknown {
public:
    /// Whether the user can click the command now; the host greys it out otherwise.
    virtual bool Enabled() const = 0;
    /// Whether the button is shown pressed.
    virtual bool Checked() const = 0;
    /// A ProgID or braced GUID text that identifies the command.
    virtual std::string Name() const = 0;
    virtual std::string Caption() const = 0;
    virtual std::string Tooltip() const = 0;
    /// The text the status bar shows while the pointer rests on the button.
    virtual std::string Message() const = 0;
    virtual std::string HelpFile() const = 0;
    virtual int32_t HelpContextID() const = 0;
    /// The button's picture; null for a command that shows its caption instead.
    virtual std::shared_ptr<const CommandBitmap> Bitmap() const = 0;
    /// The group the host lists the command under when the user customizes toolbars.
    virtual std::string Category() const = 0;
    /// Called once when the host creates the command, with the application object.
    virtual void OnCreate(const platform::ObjectRef& hook) = 0;
    virtual void OnClick() = 0;
};

} // namespace chronova::gis
