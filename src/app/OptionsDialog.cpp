#include "app/OptionsDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/StampSettings.h"

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("OptionsDialog", text);
}

// One option: its check box, named for assistive tools by its caption and
// described by the line under it.
QCheckBox* AddOption(QDialog& dialog, QVBoxLayout& layout, const char* caption,
                     const char* explanation, bool checked) {
    auto* box = new QCheckBox(Tr(caption), &dialog);
    box->setChecked(checked);
    auto* line = new QLabel(Tr(explanation), &dialog);
    line->setWordWrap(true);
    line->setIndent(box->iconSize().width() + 8);
    line->setBuddy(box);
    box->setAccessibleDescription(line->text());
    layout.addWidget(box);
    layout.addWidget(line);
    layout.addSpacing(6);
    return box;
}

}  // namespace

bool EditStampSettings(QWidget* parent) {
    TStampOptions options = StampOptionsInForce();
    QDialog dialog(parent);
    dialog.setObjectName("OptionsDialog");
    dialog.setWindowTitle(QCoreApplication::translate("TForm1", "Параметры"));
    auto* layout = new QVBoxLayout(&dialog);
    QCheckBox* allNames = AddOption(
        dialog, *layout, QT_TRANSLATE_NOOP("OptionsDialog", "All name schemes"),
        QT_TRANSLATE_NOOP(
            "OptionsDialog",
            "Also read the names today's phones and messengers give photos (IMG_20190723_184512, "
            "PXL_..., signal-..., Screenshot_..., WhatsApp and others), not only DD-MM-YY_HHMM."),
        options.names.all);
    QCheckBox* subfolders =
        AddOption(dialog, *layout, QT_TRANSLATE_NOOP("OptionsDialog", "Subfolders"),
                  QT_TRANSLATE_NOOP("OptionsDialog",
                                    "Also work in every subfolder of the folder; hidden folders, "
                                    "links to folders and other drives are left out."),
                  options.recursive);
    QCheckBox* fileTime = AddOption(
        dialog, *layout, QT_TRANSLATE_NOOP("OptionsDialog", "File time = shot time"),
        QT_TRANSLATE_NOOP(
            "OptionsDialog",
            "Give each stamped photo the shot's time as its modification time, for programs that "
            "sort by file time. Otherwise the file keeps its own."),
        options.setModificationTime);
    QCheckBox* videos = AddOption(
        dialog, *layout, QT_TRANSLATE_NOOP("OptionsDialog", "Видео тоже"),
        QT_TRANSLATE_NOOP(
            "OptionsDialog",
            "Also date MP4, 3GP and MOV videos named in these schemes whose header holds no "
            "creation time. Only the header's times are written, in place: a video is never "
            "copied."),
        options.videos);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addStretch();  // extra height goes below the options, not between them
    layout->addWidget(buttons);
    dialog.setMinimumWidth(420);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options.names.all = allNames->isChecked();
    options.recursive = subfolders->isChecked();
    options.setModificationTime = fileTime->isChecked();
    options.videos = videos->isChecked();
    KeepStampOptions(options);
    return true;
}
