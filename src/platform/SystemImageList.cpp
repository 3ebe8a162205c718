#include "platform/SystemImageList.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <algorithm>
#include <map>

#include "platform/ShellItemInfo.h"

// A static library's resources are registered by hand, outside any namespace.
static void RegisterPictures() {
    Q_INIT_RESOURCE(platform);
}

struct IconPicture {
    QImage picture;
};

namespace {

constexpr int kSmallSize = 16;
constexpr int kLargeSize = 32;
constexpr int kMaxOverlay = 15;
const char* const kGenericPicture = "file";

QImage BuiltInPicture(const std::string& name, int size) {
    QImage picture(QString::fromStdString(":/platform/pictures/" + name + ".xpm"));
    return picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// With no icon theme configured (offscreen, a bare X session) the theme
// lookup finds nothing: fall back to the theme Qt's dependencies install.
void ChooseIconTheme() {
    QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QLatin1String("hicolor"))
        return;
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QLatin1String("/usr/share/icons")))
        QIcon::setThemeSearchPaths(paths << QStringLiteral("/usr/share/icons"));
    if (QDir(QStringLiteral("/usr/share/icons/Adwaita")).exists())
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

// The first theme icon that draws, as pictures of both sizes; false when the
// theme has none (or there is no GUI to draw them with).
bool ThemePictures(const std::vector<std::string>& names, std::string& key, QImage& small,
                   QImage& large) {
    if (qGuiApp == nullptr)
        return false;
    for (const std::string& name : names) {
        QString themeName = QString::fromStdString(name);
        if (name.empty() || !QIcon::hasThemeIcon(themeName))
            continue;
        QIcon icon = QIcon::fromTheme(themeName);
        small = icon.pixmap(kSmallSize).toImage();
        large = icon.pixmap(kLargeSize).toImage();
        if (!small.isNull() && !large.isNull()) {
            key = "theme:" + name;
            return true;
        }
    }
    return false;
}

struct SystemLists {
    SystemLists() : small(kSmallSize), large(kLargeSize) {
        RegisterPictures();
        ChooseIconTheme();
        // Index 0 is the generic document, as callers treat 0 as "not set yet".
        Add("builtin:" + std::string(kGenericPicture), BuiltInPicture(kGenericPicture, kSmallSize),
            BuiltInPicture(kGenericPicture, kLargeSize));
    }

    int Add(const std::string& key, const QImage& smallPicture, const QImage& largePicture) {
        auto known = byKey.find(key);
        if (known != byKey.end())
            return known->second;
        int index = small.Add(smallPicture);
        large.Add(largePicture);
        byKey.emplace(key, index);
        return index;
    }

    TSystemImageList small;
    TSystemImageList large;
    std::map<std::string, int> byKey;     // picture key -> index
    std::map<std::string, int> byChoice;  // icon names asked for -> index
};

SystemLists& Lists() {
    static SystemLists lists;
    return lists;
}

std::string ChoiceKey(const IconChoice& icon) {
    std::string key = icon.Fallback;
    for (const std::string& name : icon.ThemeNames)
        key += "|" + name;
    return key;
}

}  // namespace

TSystemImageList::TSystemImageList(int size) : size_(size) {
    std::fill(std::begin(overlays_), std::end(overlays_), -1);
}

TSystemImageList::~TSystemImageList() = default;

int TSystemImageList::Count() const {
    return static_cast<int>(images_.size());
}

QImage TSystemImageList::Image(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<std::size_t>(index)] : QImage();
}

int TSystemImageList::Add(const QImage& picture) {
    images_.push_back(
        picture.size() == QSize(size_, size_)
            ? picture
            : picture.scaled(size_, size_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return Count() - 1;
}

bool TSystemImageList::SetOverlayImage(int index, int overlay) {
    if (index < 0 || index >= Count() || overlay < 1 || overlay > kMaxOverlay)
        return false;
    overlays_[overlay] = index;
    return true;
}

int TSystemImageList::OverlayImage(int overlay) const {
    return overlay >= 1 && overlay <= kMaxOverlay ? overlays_[overlay] : -1;
}

HIMAGELIST SystemImageListOf(bool small) {
    return small ? &Lists().small : &Lists().large;
}

int SystemIconIndex(const IconChoice& icon) {
    SystemLists& lists = Lists();
    std::string choice = ChoiceKey(icon);
    auto known = lists.byChoice.find(choice);
    if (known != lists.byChoice.end())
        return known->second;
    std::string key;
    QImage small, large;
    if (!ThemePictures(icon.ThemeNames, key, small, large)) {
        key = "builtin:" + icon.Fallback;
        small = BuiltInPicture(icon.Fallback, kSmallSize);
        large = BuiltInPicture(icon.Fallback, kLargeSize);
    }
    int index = lists.Add(key, small, large);
    lists.byChoice.emplace(choice, index);
    return index;
}

HICON LoadShellIcon(int resource, int size) {
    const char* name = resource == kSharedOverlayIconResource ? "overlay-share"
                       : resource == kLinkOverlayIconResource ? "overlay-link"
                                                              : nullptr;
    if (name == nullptr || size <= 0)
        return nullptr;
    Lists();  // registers the pictures
    return new IconPicture{BuiltInPicture(name, size)};
}

void DestroyIcon(HICON icon) {
    delete icon;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
    if (list == nullptr || icon == nullptr || index != -1)
        return -1;
    return list->Add(icon->picture);
}

bool ImageList_SetOverlayImage(HIMAGELIST list, int index, int overlay) {
    return list != nullptr && list->SetOverlayImage(index, overlay);
}
