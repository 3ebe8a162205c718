#include "app/ProgramImages.h"

#include <QColor>
#include <QString>

#include "framework/ImageList.h"

// Outside any namespace: the resource's initialiser is a global function.
static void LoadPictureResources() {
    Q_INIT_RESOURCE(app);
}

namespace {

constexpr const char* kPictures[] = {"stamp",      "exit",      "author",
                                     "view-icons", "view-list", "view-report"};

QImage Picture(const char* name) {
    LoadPictureResources();
    return QImage(QStringLiteral(":/app/pictures/%1.xpm").arg(QLatin1String(name)));
}

}  // namespace

// Ten slots hold six pictures and four grey copies: the grey copy of the
// author's picture lands at 3, so the views' pictures fall on 4, 6 and 8 with
// their copies after them; stamp and exit have none.
void AddProgramImages(TImageList& images) {
    for (const char* name : kPictures) {
        QImage picture = Picture(name);
        images.Add(picture);
        if (images.Count() >= 3)
            images.Add(GreyCopy(picture));
    }
}

QImage GreyCopy(const QImage& picture) {
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            QRgb pixel = grey.pixel(x, y);
            int level = 96 + qGray(pixel) / 2;
            grey.setPixel(x, y, qRgba(level, level, level, qAlpha(pixel)));
        }
    return grey;
}
