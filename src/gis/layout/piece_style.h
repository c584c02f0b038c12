#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

namespace chronova::gis {

/// The sizes and colours every piece of map furniture shares on one frame: text grows with the frame's height,
/// so a piece takes about the same share of a small frame as of a large one.
struct PieceStyle {
    /// Pixel size of ordinary text, and of the title.
    int TextPixels = 12;
    int TitlePixels = 16;
    /// Room between a panel's border and what it holds.
    int Padding = 4;
    /// Room between the frame's edge and a panel, and between two panels.
    int Inset = 6;
    QColor Text{32, 32, 32};
    QColor Panel{255, 255, 255, 215};
    QColor Border{64, 64, 64, 150};

    /// The style of a frame of this size.
    static PieceStyle For(QSize frame);
    /// The application's font at a pixel size.
    QFont Font(int pixels, bool bold = false) const;
};

/// A transparent image of a panel whose inside (the part within the padding) has the given size: the panel is
/// a translucent white rectangle with a thin border. Callers draw the content at (Padding, Padding).
QImage PanelImage(QSize inside, const PieceStyle& style);

} // namespace chronova::gis
