#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <memory>

namespace chronova::qtui {

/// A shown top-level window for the widgets under test (the offscreen platform needs no display).
class ShownWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 400);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    QWidget* Window() { return window_.get(); }

private:
    std::unique_ptr<QWidget> window_;
};

} // namespace chronova::qtui
