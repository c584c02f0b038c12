#pragma once

// Screenshots compared with stored images by a pixel tolerance: fonts and anti-aliasing may move a few pixels by a
// shade between machines, a layout fault moves many. Running with CHRONOVA_UPDATE_GOLDEN=1 stores the new image
// instead of comparing (tests/README.md), and a failure writes the actual image and a difference map beside the
// test's output so that a reviewer can look at both.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/golden_file.h"

namespace chronova::testing {

/// How far a screenshot may stray from its stored image.
struct PixelTolerance {
    int channel = 48;              ///< a pixel differs when a colour channel differs by more than this
    double differing_share = 0.01; ///< the share of differing pixels allowed
};

/// Passes when actual matches the stored image at file within the tolerance (same size, few differing pixels).
/// With CHRONOVA_UPDATE_GOLDEN set it stores actual and passes. On a failure the actual image and a map of the
/// differing pixels (red) are written to failure_folder.
inline ::testing::AssertionResult MatchesStoredImage(const QImage& actual, const std::filesystem::path& file,
                                                     const std::filesystem::path& failure_folder,
                                                     PixelTolerance tolerance = {}) {
    if (actual.isNull()) {
        return ::testing::AssertionFailure() << "no screenshot was taken";
    }
    if (UpdatingGoldenFiles()) {
        std::filesystem::create_directories(file.parent_path());
        if (!actual.save(QString::fromStdString(file.string()), "PNG")) {
            return ::testing::AssertionFailure() << "cannot write " << file;
        }
        return ::testing::AssertionSuccess();
    }
    const QImage expected(QString::fromStdString(file.string()));
    if (expected.isNull()) {
        return ::testing::AssertionFailure()
               << "no stored image " << file << " (store it with CHRONOVA_UPDATE_GOLDEN=1)";
    }
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size()) {
        return ::testing::AssertionFailure() << "the screenshot is " << a.width() << " x " << a.height()
                                             << " pixels, the stored image " << b.width() << " x " << b.height();
    }
    QImage difference(a.size(), QImage::Format_RGB32);
    int64_t differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* row_a = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* row_b = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        auto* row_d = reinterpret_cast<QRgb*>(difference.scanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int most =
                std::max({std::abs(qRed(row_a[x]) - qRed(row_b[x])), std::abs(qGreen(row_a[x]) - qGreen(row_b[x])),
                          std::abs(qBlue(row_a[x]) - qBlue(row_b[x]))});
            const bool differs = most > tolerance.channel;
            differing += differs ? 1 : 0;
            const int grey = qGray(row_b[x]) / 3 + 170;
            row_d[x] = differs ? qRgb(255, 0, 0) : qRgb(grey, grey, grey);
        }
    }
    const double share = static_cast<double>(differing) / (static_cast<double>(a.width()) * a.height());
    if (share <= tolerance.differing_share) {
        return ::testing::AssertionSuccess();
    }
    std::filesystem::create_directories(failure_folder);
    const std::string stem = file.stem().string();
    actual.save(QString::fromStdString((failure_folder / (stem + ".actual.png")).string()), "PNG");
    difference.save(QString::fromStdString((failure_folder / (stem + ".difference.png")).string()), "PNG");
    return ::testing::AssertionFailure() << differing << " pixels (" << share * 100.0 << " %) differ from " << file
                                         << " by more than " << tolerance.channel << " in a channel; allowed "
                                         << tolerance.differing_share * 100.0 << " %. See " << failure_folder;
}

} // namespace chronova::testing
