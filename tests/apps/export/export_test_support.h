#pragma once

// Helpers of the frame export tests: map-like frames, the files a folder holds, and a file size limit that makes
// writes fail half-way as a full disk would.

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include <sys/resource.h>

namespace chronova::testing {

/// A frame as a map draws it: a background, a filled box, a line and a disc whose places depend on step, anti-
/// aliased, so that it holds a few hundred colours and the shapes move from step to step.
inline QImage MapLikeFrame(int width, int height, int step) {
    QImage frame(width, height, QImage::Format_ARGB32_Premultiplied);
    frame.fill(QColor(250, 248, 240));
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 200, 80));
    painter.drawRect(QRectF(width * 0.1, height * 0.2, width * 0.3, height * 0.4));
    painter.setPen(QPen(QColor(90, 90, 90), 2.0));
    painter.drawLine(QPointF(0, height * 0.8), QPointF(width, height * 0.3));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 0, 0));
    painter.drawEllipse(QPointF(width * 0.2 + step * 7.0, height * 0.5), width * 0.04, width * 0.04);
    painter.end();
    return frame;
}

/// The names of the entries of a folder, sorted.
inline std::set<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

/// Limits the size of files this process writes for the life of the object: a write beyond it fails with
/// EFBIG (the signal that would end the process is ignored meanwhile), which works even for the superuser, for
/// whom no folder is read-only.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_limit_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_limit_;
        limit.rlim_cur = std::min(bytes, old_limit_.rlim_max);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_limit_);
        std::signal(SIGXFSZ, old_handler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit old_limit_{};
    void (*old_handler_)(int) = SIG_DFL;
};

/// A frame of noise, which no PNG or GIF encoder makes much smaller than its pixels.
inline QImage NoiseFrame(int width, int height) {
    QImage frame(width, height, QImage::Format_RGB32);
    uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = 0xff000000u | (state >> 8);
        }
    }
    return frame;
}

} // namespace chronova::testing
