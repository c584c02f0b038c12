#pragma once

#include <QImage>
#include <string>

namespace chronova::cli::exporting {

/// Draws the current time on a frame, in its bottom-left corner: white text in the application's default font on
/// a semi-transparent dark box, so it reads on light and dark maps alike. The text is sized to the frame's height
/// and shortened with an ellipsis when the frame is too narrow for it. An empty text or a null frame is left
/// alone; a frame in a format QPainter cannot draw on (indexed colours) is converted to 32-bit first. Needs a
/// QGuiApplication for the font.
void DrawTimeLabel(QImage& frame, const std::string& text);

} // namespace chronova::cli::exporting
