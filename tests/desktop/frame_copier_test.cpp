// The worker that copies frames for the cache: copies equal their frames in memory of their own, come back in the
// order given, and nothing comes back after a cancel or outlives the copier.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <atomic>
#include <memory>

#include "apps/desktop/frame_copier.h"

namespace chronova::desktop {
namespace {

QImage Pattern(int width, int height, int seed) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgba((x * 7 + seed) & 0xFF, (y * 13 + seed) & 0xFF, (x ^ y) & 0xFF, 255));
        }
    }
    return image;
}

TEST(FrameCopierTest, CopiesAreEqualFramesInMemoryOfTheirOwnInTheOrderGiven) {
    std::atomic<int> woken{0};
    FrameCopier copier([&] { ++woken; });
    const QImage first = Pattern(61, 37, 1); // an odd width: lines padded or not, the copy matches
    const QImage second = Pattern(200, 100, 2);
    QImage indexed = Pattern(30, 20, 3).convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(copier.Submit(7, first));
    copier.Wait();
    ASSERT_TRUE(copier.Submit(8, second));
    copier.Wait();
    ASSERT_TRUE(copier.Submit(9, indexed));
    copier.Wait();
    const auto done = copier.TakeDone();
    ASSERT_EQ(done.size(), 3U);
    EXPECT_EQ(done[0].first, 7U);
    EXPECT_EQ(done[1].first, 8U);
    EXPECT_EQ(done[2].first, 9U);
    EXPECT_EQ(done[0].second, first);
    EXPECT_EQ(done[1].second, second);
    EXPECT_EQ(done[2].second, indexed);
    EXPECT_EQ(done[2].second.colorTable(), indexed.colorTable());
    EXPECT_NE(done[0].second.constBits(), first.constBits());
    EXPECT_NE(done[1].second.constBits(), second.constBits());
    EXPECT_EQ(woken.load(), 3);
    EXPECT_TRUE(copier.TakeDone().empty());
    EXPECT_FALSE(copier.Submit(10, QImage()));
}

TEST(FrameCopierTest, NothingComesBackAfterACancelAndQueuedCopiesDoNotHoldUpTheEnd) {
    FrameCopier copier;
    ASSERT_TRUE(copier.Submit(1, Pattern(64, 64, 1)));
    copier.Wait();
    copier.Cancel();
    EXPECT_TRUE(copier.TakeDone().empty());
    // Copies still waiting when the copier goes are dropped; the copier ends without them.
    auto ending = std::make_unique<FrameCopier>();
    QImage big(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::red);
    int queued = 0;
    for (uint64_t ticket = 0; ticket < 10; ++ticket) {
        queued += ending->Submit(ticket, big) ? 1 : 0;
    }
    EXPECT_GE(queued, 1);
    ending.reset();
    // A copier keeps working after a cancel.
    ASSERT_TRUE(copier.Submit(2, Pattern(8, 8, 2)));
    copier.Wait();
    const auto done = copier.TakeDone();
    ASSERT_EQ(done.size(), 1U);
    EXPECT_EQ(done[0].first, 2U);
}

TEST(FrameCopierTest, CopiesGoIntoTheMemoryOfFramesGivenBackUnlessSomethingStillHoldsThem) {
    FrameCopier copier;
    const QImage frame = Pattern(120, 80, 4);
    // A frame still shown elsewhere is never written into.
    const QImage shown = Pattern(120, 80, 5);
    const QImage shown_before = shown.copy();
    QImage shared = shown;
    copier.Recycle({std::move(shared)});
    ASSERT_TRUE(copier.Submit(1, frame));
    copier.Wait();
    auto done = copier.TakeDone();
    ASSERT_EQ(done.size(), 1U);
    EXPECT_EQ(done[0].second, frame);
    EXPECT_NE(done[0].second.constBits(), shown.constBits());
    EXPECT_EQ(shown, shown_before);

    // A frame nobody holds any more takes the next copy of its size in its own memory.
    QImage dropped = Pattern(120, 80, 6);
    const uchar* memory = dropped.constBits();
    QImage other_size = Pattern(10, 10, 7);
    copier.Recycle({std::move(other_size), std::move(dropped)});
    ASSERT_TRUE(copier.Submit(2, frame));
    copier.Wait();
    done = copier.TakeDone();
    ASSERT_EQ(done.size(), 1U);
    EXPECT_EQ(done[0].second, frame);
    EXPECT_EQ(done[0].second.constBits(), memory);
}

} // namespace
} // namespace chronova::desktop
