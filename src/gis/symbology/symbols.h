#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gis/symbology/color.h"
#include "platform/variant.h"

namespace chronova::gis {

/// Anything that draws a feature. Sizes and widths are in points (1/72 inch, drawn at 96 dots per inch).
class ISymbol : public virtual platform::IUnknown {
public:
    virtual std::shared_ptr<ISymbol> Clone() const = 0;
};

/// A symbol drawn at a point: a colour, a size and an angle (degrees counter-clockwise, as the host keeps it;
/// a renderer's rotation adds to it).
class IMarkerSymbol : public virtual ISymbol {
public:
    Color MarkerColor;
    double Size = 8.0;
    double Angle = 0.0;
};

enum class SimpleMarkerStyle { Circle = 0, Square = 1, Cross = 2, X = 3, Diamond = 4 };

class SimpleMarkerSymbol : public IMarkerSymbol {
public:
    SimpleMarkerStyle Style = SimpleMarkerStyle::Circle;
    bool Outline = false;
    Color OutlineColor;
    double OutlineSize = 1.0;
    std::shared_ptr<ISymbol> Clone() const override { return std::make_shared<SimpleMarkerSymbol>(*this); }
};

/// A glyph of a font drawn as a marker: the font is looked up by name; a font that is missing or has no glyph
/// for the character draws a north-pointing arrow instead, so vectors always show.
class CharacterMarkerSymbol : public IMarkerSymbol {
public:
    std::string FontName;
    int32_t CharacterIndex = 0;
    std::shared_ptr<ISymbol> Clone() const override { return std::make_shared<CharacterMarkerSymbol>(*this); }
};

enum class SimpleLineStyle { Solid = 0, Dash = 1, Dot = 2, Null = 5 };

class SimpleLineSymbol : public ISymbol {
public:
    Color LineColor;
    double Width = 1.0;
    SimpleLineStyle Style = SimpleLineStyle::Solid;
    std::shared_ptr<ISymbol> Clone() const override { return std::make_shared<SimpleLineSymbol>(*this); }
};

enum class SimpleFillStyle { Solid = 0, Null = 1 };

class SimpleFillSymbol : public ISymbol {
public:
    Color FillColor;
    SimpleFillStyle Style = SimpleFillStyle::Solid;
    std::shared_ptr<SimpleLineSymbol> Outline = std::make_shared<SimpleLineSymbol>();
    std::shared_ptr<ISymbol> Clone() const override {
        auto copy = std::make_shared<SimpleFillSymbol>(*this);
        copy->Outline = Outline ? std::make_shared<SimpleLineSymbol>(*Outline) : nullptr;
        return copy;
    }
};

} // namespace chronova::gis
