#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"

namespace chronova::gis {

/// The configuration states of an extension, as the host numbers them.
enum class ExtensionState : int32_t {
    Enabled = 1,
    Disabled = 2,
    Unavailable = 4,
};

/// A component the application loads at start-up and keeps until it shuts down.
class IExtension : public virtual platform::IUnknown {
public:
    /// The name the application finds the extension by.
    virtual std::string Name() const = 0;
    /// Called once when the application adds the extension, with the application object.
    virtual void Startup(const platform::ObjectRef& initialization_data) = 0;
    /// Called once when the application shuts down.
    virtual void Shutdown() = 0;
};

/// An extension the user can switch on and off.
class IExtensionConfig : public virtual platform::IUnknown {
public:
    virtual std::string ProductName() const = 0;
    virtual std::string Description() const = 0;
    /// An ExtensionState number.
    virtual int32_t State() const = 0;
    virtual void State(int32_t state) = 0;
};

/// An extension with nothing to do at start-up or shut-down: a name and a configuration state (enabled
/// unless told otherwise).
class Extension : public IExtension, public IExtensionConfig {
public:
    explicit Extension(std::string name, int32_t state = static_cast<int32_t>(ExtensionState::Enabled))
        : name_(std::move(name)), state_(state) {}

    std::string Name() const override { return name_; }
    void Startup(const platform::ObjectRef&) override {}
    void Shutdown() override {}
    std::string ProductName() const override { return name_; }
    std::string Description() const override { return {}; }
    int32_t State() const override { return state_; }
    void State(int32_t state) override { state_ = state; }

private:
    std::string name_;
    int32_t state_;
};

} // namespace chronova::gis
