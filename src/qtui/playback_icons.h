#pragma once

#include <QIcon>
#include <string_view>

namespace chronova::qtui {

/// A drawn glyph for a playback tool, found by its button key ("ID_PLAY" or "Play": the ID_ prefix and the case
/// do not matter): play, playback (play backwards), pause, stop, step, stepback, rewind or first (to the start),
/// forward or last (to the end). A null icon for any other key.
QIcon PlaybackIcon(std::string_view key);

} // namespace chronova::qtui
