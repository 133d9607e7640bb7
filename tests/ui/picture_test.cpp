// Picture control: still pictures, one-frame and animated GIFs, and files that do
// not load.
#include "ui/controls/t_picture.h"

#include <gtest/gtest.h>

#include <QTest>

#include "support/temp_folder.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr QSize kGifSize(8, 8);
constexpr int kDelayCs = 2;

class PictureTest : public ::testing::Test {
protected:
    QString Gif(const QString& name, const std::vector<int>& frames) {
        return test::WriteBytes(folder_.Path(), name, test::EncodeGif(kGifSize, frames, kDelayCs));
    }

    test::TempFolder folder_;
    CTPicture picture_;
};

TEST_F(PictureTest, OneFrameGifIsShownStillWithoutAnimation) {
    ASSERT_TRUE(picture_.Load(Gif("one.gif", {1})));
    EXPECT_TRUE(picture_.IsLoaded());
    EXPECT_FALSE(picture_.IsAnimated());
    EXPECT_EQ(picture_.FrameCount(), 1);
    picture_.Start();
    EXPECT_FALSE(picture_.IsAnimating());
    const QPixmap shown = picture_.pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(test::Near(shown.toImage().pixelColor(3, 3), test::kGifSecondColour));
}

TEST_F(PictureTest, SeveralFramesAnimateAndLoopUntilStopped) {
    ASSERT_TRUE(picture_.Load(Gif("three.gif", {0, 1, 0})));
    EXPECT_TRUE(picture_.IsAnimated());
    EXPECT_EQ(picture_.FrameCount(), 3);
    EXPECT_FALSE(picture_.IsAnimating());

    picture_.Start();
    EXPECT_TRUE(picture_.IsAnimating());
    // The GIF has no loop count, so it would play once; the picture loops: the last
    // frame is reached and then the first comes round again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture_.CurrentFrame() == 2; }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture_.CurrentFrame() == 1; }, 20000));
    EXPECT_TRUE(picture_.IsAnimating());

    picture_.Stop();
    EXPECT_FALSE(picture_.IsAnimating());
}

TEST_F(PictureTest, FilesThatDoNotLoadLeaveThePictureEmpty) {
    const QString still = test::WriteSolidPng(folder_.Path(), "logo.png", {30, 20}, Qt::red);
    const QString cases[] = {
        Gif("empty.gif", {}),
        test::WriteBytes(folder_.Path(), "broken.png", "not an image at all"),
        test::WriteBytes(folder_.Path(), "cut.gif", QByteArray("GIF89a\x08\x00", 8)),
        QString::fromStdString(folder_.Path()) + "missing.gif",
    };
    for (const QString& path : cases) {
        ASSERT_TRUE(picture_.Load(still));
        EXPECT_FALSE(picture_.Load(path)) << path.toStdString();
        EXPECT_FALSE(picture_.IsLoaded()) << path.toStdString();
        EXPECT_TRUE(picture_.pixmap().isNull()) << path.toStdString();
        EXPECT_EQ(picture_.FrameCount(), 0);
        picture_.Start();
        EXPECT_FALSE(picture_.IsAnimating());
    }
}

TEST_F(PictureTest, OtherImagesAreOneStillPicture) {
    ASSERT_TRUE(picture_.Load(test::WriteSolidPng(folder_.Path(), "logo.png", {30, 20}, Qt::red)));
    EXPECT_FALSE(picture_.IsAnimated());
    EXPECT_EQ(picture_.pixmap().size(), QSize(30, 20));
    // A loaded animation is replaced (and stopped) by the next load.
    ASSERT_TRUE(picture_.Load(Gif("two.gif", {0, 1})));
    picture_.Start();
    ASSERT_TRUE(picture_.IsAnimating());
    ASSERT_TRUE(picture_.Load(test::WriteSolidPng(folder_.Path(), "b.png", {4, 4}, Qt::blue)));
    EXPECT_FALSE(picture_.IsAnimating());
    EXPECT_FALSE(picture_.IsAnimated());
}

}  // namespace
}  // namespace plindar
