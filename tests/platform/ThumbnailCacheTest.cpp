#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <cstdlib>
#include <filesystem>

#include "ThumbnailFiles.h"
#include "framework/FileHandle.h"
#include "platform/Thumbnailer.h"
#include "platform/UriList.h"
#include "support/Unprivileged.h"

namespace {

const std::string kFailFolder = "fail/kadrimarkexif-1.0";

mode_t ModeOf(const std::string& path) {
    struct stat facts {};
    EXPECT_EQ(stat(path.c_str(), &facts), 0) << path;
    return facts.st_mode & 07777;
}

// Writes a picture carrying exactly the given text keys where the cache looks
// for the file's picture.
void PlantPicture(const std::string& root, const std::string& uri,
                  const std::vector<std::pair<const char*, std::string>>& keys) {
    QImage picture = HalvesPicture(8, 8);
    for (const auto& [key, value] : keys)
        picture.setText(key, QString::fromStdString(value));
    const std::string folder = root + "/normal";
    std::filesystem::create_directories(folder);
    WritePicture(folder + "/" + ThumbnailFileName(uri), picture, "png");
}

TEST(ThumbnailNames, FileUriAndKeyFollowTheSharedRules) {
    struct Case {
        std::string path;
        std::string uri;
    } cases[] = {
        {"/home/jens/photos/me.png", "file:///home/jens/photos/me.png"},
        {"/a b/c#d%e?.jpg", "file:///a%20b/c%23d%25e%3F.jpg"},
        {"/p/x!*'():@&=+$,;~_-.jpg", "file:///p/x!*'():@&=+$,%3B~_-.jpg"},
        {"/p/\xD1\x84\xFF.jpg", "file:///p/%D1%84%FF.jpg"},
        {"/p/[\"<>\\^`{|}].jpg", "file:///p/%5B%22%3C%3E%5C%5E%60%7B%7C%7D%5D.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CanonicalFileUri(c.path), c.uri) << c.path;
    EXPECT_EQ(ThumbnailFileName("file:///home/jens/photos/me.png"),
              "c6ee772d9e49320e97ec29a7eb5b1697.png");
}

TEST(ThumbnailNames, RootFollowsTheCacheHome) {
    struct Case {
        const char* cacheHome;  // nullptr: unset
        std::string root;
    } cases[] = {
        {"/var/c", "/var/c/thumbnails"},   {"/var/c/", "/var/c/thumbnails"},
        {"", "/h/.cache/thumbnails"},      {"relative/c", "/h/.cache/thumbnails"},
        {nullptr, "/h/.cache/thumbnails"},
    };
    setenv("HOME", "/h", 1);
    for (const Case& c : cases) {
        if (c.cacheHome)
            setenv("XDG_CACHE_HOME", c.cacheHome, 1);
        else
            unsetenv("XDG_CACHE_HOME");
        EXPECT_EQ(ThumbnailRoot(), c.root) << (c.cacheHome ? c.cacheHome : "unset");
    }
    unsetenv("XDG_CACHE_HOME");
}

TEST_F(ThumbnailTest, PictureStandsForTheFileOnlyWhileItsKeysMatch) {
    const TThumbnailSource source{"file:///p/a.jpg", 1700000000, 4321};
    using Keys = std::vector<std::pair<const char*, std::string>>;
    struct Case {
        const char* what;
        Keys keys;
        bool found;
    } cases[] = {
        {"all keys",
         {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1700000000"}, {"Thumb::Size", "4321"}},
         true},
        {"no size", {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1700000000"}}, true},
        {"other mtime", {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1700000001"}}, false},
        {"earlier mtime", {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1699999999"}}, false},
        {"other uri", {{"Thumb::URI", "file:///p/b.jpg"}, {"Thumb::MTime", "1700000000"}}, false},
        {"other size",
         {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1700000000"}, {"Thumb::Size", "4320"}},
         false},
        {"no mtime", {{"Thumb::URI", source.uri}}, false},
        {"no uri", {{"Thumb::MTime", "1700000000"}}, false},
        {"mtime not a number",
         {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1700000000.5"}},
         false},
        {"size not a number",
         {{"Thumb::URI", source.uri}, {"Thumb::MTime", "1700000000"}, {"Thumb::Size", "x"}},
         false},
    };
    for (const Case& c : cases) {
        PlantPicture(CacheRoot(), source.uri, c.keys);
        EXPECT_EQ(!Cache().Find(source, TThumbnailSize::Normal).isNull(), c.found) << c.what;
        EXPECT_TRUE(Cache().Find(source, TThumbnailSize::Large).isNull()) << c.what;
    }
}

TEST_F(ThumbnailTest, StoredPicturesArePrivateAndCompleteWhateverTheUmask) {
    const mode_t oldMask = umask(0);
    const TThumbnailSource source{"file:///p/a.jpg", 1, 2};
    EXPECT_TRUE(Cache().Store(source, TThumbnailSize::Large, HalvesPicture(256, 128)));
    EXPECT_TRUE(Cache().RecordFailure(source));
    umask(oldMask);

    const std::string name = ThumbnailFileName(source.uri);
    for (const std::string& folder :
         std::vector<std::string>{"cache", "cache/thumbnails", "cache/thumbnails/large",
                                  "cache/thumbnails/fail", "cache/thumbnails/" + kFailFolder})
        EXPECT_EQ(ModeOf(root_.File(folder)), 0700u) << folder;
    for (const std::string& folder : std::vector<std::string>{"/large", "/" + kFailFolder}) {
        EXPECT_EQ(NamesIn(CacheRoot() + folder), std::set<std::string>{name}) << folder;
        EXPECT_EQ(ModeOf(CacheRoot() + folder + "/" + name), 0600u) << folder;
    }
    QImageReader reader(QString::fromStdString(CacheRoot() + "/large/" + name));
    EXPECT_EQ(reader.format(), "png");
    const QImage stored = reader.read();
    EXPECT_EQ(stored.text("Thumb::URI"), "file:///p/a.jpg");
    EXPECT_EQ(stored.text("Thumb::MTime"), "1");
    EXPECT_EQ(stored.text("Thumb::Size"), "2");
    EXPECT_EQ(stored.text("Software"), "KadrimarkEXIF 1.0");
    EXPECT_TRUE(Cache().Failed(source));
    EXPECT_FALSE(Cache().Failed({source.uri, 2, 2}));
}

TEST_F(ThumbnailTest, PictureIsShrunkIntoItsBoxUprightAndNeverEnlarged) {
    struct Case {
        const char* format;
        QSize stored;
        TThumbnailSize size;
        QSize made;
    } cases[] = {
        {"jpeg", {1000, 500}, TThumbnailSize::Normal, {128, 64}},
        {"jpeg", {1000, 500}, TThumbnailSize::Large, {256, 128}},
        {"jpeg", {300, 3000}, TThumbnailSize::Normal, {12, 128}},
        {"jpeg", {4000, 1}, TThumbnailSize::Normal, {128, 1}},
        {"png", {60, 40}, TThumbnailSize::Normal, {60, 40}},
        {"ppm", {400, 400}, TThumbnailSize::Large, {256, 256}},
        {"bmp", {257, 100}, TThumbnailSize::Large, {256, 99}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path =
            Photo("photo" + std::to_string(n++));  // no extension: content tells
        WritePicture(path, HalvesPicture(c.stored.width(), c.stored.height()), c.format);
        TThumbnail made = MakeThumbnail(Cache(), path, c.size);
        ASSERT_EQ(made.state, TThumbnailState::Ready) << c.format;
        EXPECT_EQ(made.picture.size(), c.made) << c.format << " " << c.stored.width();
        if (c.made.width() > 8) {
            EXPECT_GT(qRed(made.picture.pixel(1, 0)), 200) << c.format;
            EXPECT_GT(qBlue(made.picture.pixel(c.made.width() - 2, 0)), 200) << c.format;
        }
    }

    // A photo stored on its side with an orientation tag is shown upright:
    // its left (red) half ends up on top.
    const std::string turned = Photo("turned.jpg");
    QImageWriter writer(QString::fromStdString(turned), "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(HalvesPicture(400, 200)));
    TThumbnail made = MakeThumbnail(Cache(), turned, TThumbnailSize::Normal);
    ASSERT_EQ(made.picture.size(), QSize(64, 128));
    EXPECT_GT(qRed(made.picture.pixel(32, 1)), 200);
    EXPECT_GT(qBlue(made.picture.pixel(32, 126)), 200);
}

TEST_F(ThumbnailTest, ChangedFileGetsANewPicture) {
    const std::string path = Photo("a.jpg");
    WritePicture(path, HalvesPicture(400, 300, Qt::red));
    SetMTime(path, 1600000000);
    ASSERT_EQ(MakeThumbnail(Cache(), path, TThumbnailSize::Normal).state, TThumbnailState::Ready);

    WritePicture(path, HalvesPicture(400, 300, Qt::green));
    SetMTime(path, 1500000000);  // older than the picture: still a change
    TThumbnail made = MakeThumbnail(Cache(), path, TThumbnailSize::Normal);
    EXPECT_GT(qGreen(made.picture.pixel(1, 1)), 200);
    const QImage stored(QString::fromStdString(CacheRoot() + "/normal/" +
                                               ThumbnailFileName(CanonicalFileUri(path))));
    EXPECT_EQ(stored.text("Thumb::MTime"), "1500000000");
}

TEST_F(ThumbnailTest, FailedDecodeIsRecordedAndNotTriedAgainUntilTheFileChanges) {
    QByteArray good;
    {
        QBuffer buffer(&good);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(HalvesPicture(64, 64).save(&buffer, "jpeg"));
    }
    const std::string path = Photo("broken.jpg");
    WriteFileBytes(path, std::string(good.size(), 'x'));
    SetMTime(path, 1600000000);
    EXPECT_EQ(MakeThumbnail(Cache(), path, TThumbnailSize::Normal).state, TThumbnailState::Failed);
    EXPECT_EQ(NamesIn(CacheRoot() + "/" + kFailFolder).size(), 1u);

    // Same size and time: the recorded failure stands, the file is not decoded.
    WriteFileBytes(path, good.toStdString());
    SetMTime(path, 1600000000);
    EXPECT_EQ(MakeThumbnail(Cache(), path, TThumbnailSize::Normal).state, TThumbnailState::Failed);

    SetMTime(path, 1600000001);
    EXPECT_EQ(MakeThumbnail(Cache(), path, TThumbnailSize::Normal).state, TThumbnailState::Ready);
}

TEST_F(ThumbnailTest, FilesNotToLookAtAreNeverOpenedAndLeaveNoTrace) {
    chmod(root_.Path().c_str(), 0755);  // so that an unprivileged user reaches inside
    const std::string fifo = Photo("pipe.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string huge = Photo("huge.jpg");
    WriteFileBytes(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), kLargestThumbnailSource + 1), 0);
    const std::string folder = Photo("folder.jpg");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string unreadable = Photo("secret.jpg");
    WritePicture(unreadable, HalvesPicture(64, 64));
    const std::string cached = CacheRoot() + "/normal/picture.png";
    WritePicture(root_.File("picture.png"), HalvesPicture(64, 64), "png");
    ASSERT_TRUE(std::filesystem::create_directories(CacheRoot() + "/normal"));
    std::filesystem::rename(root_.File("picture.png"), cached);

    TFileHandle watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    for (const std::string& path : {fifo, huge, folder, unreadable, cached})
        ASSERT_GE(inotify_add_watch(watch.Get(), path.c_str(), IN_OPEN | IN_ACCESS), 0) << path;
    chmod(unreadable.c_str(), 0);
    const auto namesBefore = NamesIn(CacheRoot() + "/normal");

    AsUnprivilegedUser unprivileged;
    for (const std::string& path : {fifo, huge, folder, unreadable, cached}) {
        EXPECT_EQ(MakeThumbnail(Cache(), path, TThumbnailSize::Normal).state,
                  TThumbnailState::Unavailable)
            << path;
    }
    char events[4096];
    EXPECT_LT(read(watch.Get(), events, sizeof events), 0) << "a file was opened";
    EXPECT_EQ(NamesIn(CacheRoot() + "/normal"), namesBefore);
    EXPECT_FALSE(std::filesystem::exists(CacheRoot() + "/fail"));
}

}  // namespace
