#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gis/data/geometry_column.h"
#include "platform/variant.h"

namespace chronova::gis {

/// Every map layer. Identity for "same layer" tests is the object's address; LayerId() is a process-unique
/// 32-bit serial for where a number or key text is needed.
class ILayer : public virtual platform::IUnknown {
public:
    virtual std::string Name() const = 0;
    virtual void Name(std::string name) = 0;
    /// Whether the layer draws into its own display cache, so redrawing others leaves it alone.
    virtual bool Cached() const = 0;
    virtual void Cached(bool cached) = 0;
    virtual bool Visible() const = 0;
    virtual void Visible(bool visible) = 0;
    /// Whether the layer's data source could be opened.
    virtual bool Valid() const = 0;
    /// The layer's extent in its own spatial reference; empty when unknown.
    virtual Envelope AreaOfInterest() const = 0;
    /// The layer's spatial reference as WKT; empty when unknown.
    virtual std::string SpatialReference() const = 0;
    virtual uint32_t LayerId() const noexcept = 0;
};

/// A layer made of child layers (a group layer, a service layer with sublayers); maps walk into it when they
/// enumerate layers recursively. Children are in drawing order, the top one first.
class ICompositeLayer : public virtual ILayer {
public:
    virtual int32_t Count() const = 0;
    /// The child at a 0-based position; raises 9 out of range.
    virtual std::shared_ptr<ILayer> Layer(int32_t index) const = 0;
};

/// The common state of a layer; concrete layers, and custom layers of other components, derive from it.
class LayerBase : public virtual ILayer {
public:
    LayerBase();
    explicit LayerBase(std::string name);

    std::string Name() const override { return name_; }
    void Name(std::string name) override { name_ = std::move(name); }
    bool Cached() const override { return cached_; }
    void Cached(bool cached) override { cached_ = cached; }
    bool Visible() const override { return visible_; }
    void Visible(bool visible) override { visible_ = visible; }
    bool Valid() const override { return true; }
    Envelope AreaOfInterest() const override { return {}; }
    std::string SpatialReference() const override { return {}; }
    uint32_t LayerId() const noexcept override { return layer_id_; }

private:
    std::string name_;
    bool cached_ = false;
    bool visible_ = true;
    uint32_t layer_id_;
};

} // namespace chronova::gis
