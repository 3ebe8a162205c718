#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "ThumbnailFiles.h"
#include "platform/ThumbnailLoader.h"

namespace {

using TRequest = TThumbnailLoader::TRequest;

class ThumbnailLoaderTest : public ThumbnailTest {
  protected:
    // Photos p0.jpg ... named by number, each a different picture.
    std::vector<std::string> MakePhotos(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(Photo("p" + std::to_string(i) + ".jpg"));
            WritePicture(paths.back(), HalvesPicture(300 + i, 200));
        }
        return paths;
    }

    static std::vector<std::string> Announced(const QSignalSpy& spy) {
        std::vector<std::string> paths;
        for (const QList<QVariant>& call : spy)
            paths.push_back(call[0].value<std::string>());
        return paths;
    }

    static bool Drained(const TThumbnailLoader& loader) {
        return QTest::qWaitFor([&] { return loader.PendingCount() == 0; }, 10000);
    }
};

TEST_F(ThumbnailLoaderTest, HigherPriorityFirstThenEarlierRequestFirst) {
    const auto photos = MakePhotos(5);
    TThumbnailLoader loader(Cache(), TThumbnailSize::Normal, 1, 1 << 20);
    QSignalSpy ready(&loader, &TThumbnailLoader::Ready);
    loader.Request({{photos[0], 1, 1},
                    {photos[1], 1, 3},
                    {photos[2], 1, 2},
                    {photos[3], 1, 3},
                    {photos[4], 1, 0}});
    ASSERT_TRUE(Drained(loader));
    QCoreApplication::processEvents();
    EXPECT_EQ(Announced(ready),
              (std::vector{photos[1], photos[3], photos[2], photos[0], photos[4]}));
    for (const std::string& photo : photos)
        EXPECT_EQ(loader.Find(photo, 1).value_or(QImage()).width(), 128) << photo;
    EXPECT_FALSE(loader.Find(photos[0], 2).has_value()) << "another stamp is another file";
}

TEST_F(ThumbnailLoaderTest, CancelDropsWaitingWorkAndAnnouncesNothingOfIt) {
    const auto photos = MakePhotos(40);
    TThumbnailLoader loader(Cache(), TThumbnailSize::Normal, 1, 64 << 20);
    QSignalSpy ready(&loader, &TThumbnailLoader::Ready);
    std::vector<TRequest> requests;
    for (const std::string& photo : photos)
        requests.push_back({photo, 1, 0});
    loader.Request(requests);
    loader.CancelPending();
    ASSERT_TRUE(Drained(loader));
    QCoreApplication::processEvents();
    EXPECT_EQ(ready.count(), 0);
    // Only what was in hand at the cancel was made (a few at the most: the
    // worker may have taken one or two meanwhile).
    const std::string made = CacheRoot() + "/normal";
    EXPECT_LT(std::filesystem::exists(made) ? NamesIn(made).size() : 0, 5u);

    // The next folder's requests are served as usual.
    loader.Request({{photos[38], 1, 0}, {photos[39], 1, 0}});
    ASSERT_TRUE(Drained(loader));
    QCoreApplication::processEvents();
    EXPECT_EQ(Announced(ready), (std::vector{photos[38], photos[39]}));
}

TEST_F(ThumbnailLoaderTest, FileWithoutPictureIsRememberedAndNotAskedForAgain) {
    const std::string broken = Photo("broken.jpg");
    WriteFileBytes(broken, "not a picture");
    TThumbnailLoader loader(Cache(), TThumbnailSize::Normal, 2, 1 << 20);
    QSignalSpy ready(&loader, &TThumbnailLoader::Ready);
    for (int round = 0; round < 3; ++round) {
        loader.Request({{broken, 7, 0}, {Photo("missing.jpg"), 7, 0}});
        ASSERT_TRUE(Drained(loader));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ready.count(), 2);
    ASSERT_TRUE(loader.Find(broken, 7).has_value());
    EXPECT_TRUE(loader.Find(broken, 7)->isNull());
}

TEST_F(ThumbnailLoaderTest, MemoryHoldsTheLatestPicturesWithinItsBound) {
    const auto photos = MakePhotos(12);
    // Room for four 256 x 171 pictures.
    TThumbnailLoader loader(Cache(), TThumbnailSize::Large, 2, 4 * 256 * 175 * 4);
    for (const std::string& photo : photos) {
        loader.Request({{photo, 1, 0}});
        ASSERT_TRUE(Drained(loader));
        QCoreApplication::processEvents();
    }
    int known = 0;
    for (const std::string& photo : photos)
        known += loader.Find(photo, 1).has_value();
    EXPECT_EQ(known, 4);
    EXPECT_TRUE(loader.Find(photos.back(), 1).has_value());

    // A memory too small for one picture still keeps the latest, so that it
    // is not asked for again and again.
    TThumbnailLoader tiny(Cache(), TThumbnailSize::Large, 1, 1);
    tiny.Request({{photos[0], 1, 0}});
    ASSERT_TRUE(Drained(tiny));
    QCoreApplication::processEvents();
    EXPECT_TRUE(tiny.Find(photos[0], 1).has_value());
}

}  // namespace
