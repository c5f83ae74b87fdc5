#include "qt/qt_quality_dialog.h"

#include "common/app_info.h"
#include "qt/skin_palette.h"
#include "qt/text_conversion.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace tarnwick::qt {
namespace {

QComboBox* ChoiceBox(const platform::ChoiceList& list, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const std::string& option : list.options) box->addItem(ToQString(option));
    box->setCurrentIndex(list.chosen);
    return box;
}

QListWidget* SubtitleList(const std::vector<platform::SubtitleLine>& lines, QWidget* parent) {
    auto* list = new QListWidget(parent);
    for (const platform::SubtitleLine& line : lines) {
        auto* item = new QListWidgetItem(ToQString(line.label), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(line.checked ? Qt::Checked : Qt::Unchecked);
        item->setHidden(line.translated && !line.checked);
    }
    list->setMinimumHeight(120);
    return list;
}

} // namespace

QtQualityDialog::~QtQualityDialog() {
    if (open_) delete open_.data();
}

void QtQualityDialog::Show(const platform::QualityForm& form, Answer on_answer) {
    if (open_) open_->reject();
    auto* dialog = new QDialog(parent_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Quality — ") + ToQString(kAppTitle));
    dialog->setWindowModality(Qt::WindowModal);
    TakeSkinPalette(*dialog, parent_);
    auto* layout = new QVBoxLayout(dialog);
    auto* heading = new QLabel(ToQString(form.heading), dialog);
    heading->setWordWrap(true);
    heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(heading);
    if (!form.note.empty()) {
        auto* note = new QLabel(ToQString(form.note), dialog);
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    auto* fields = new QFormLayout;
    QComboBox* picture = ChoiceBox(form.picture, dialog);
    QComboBox* format = ChoiceBox(form.format, dialog);
    QComboBox* sound = ChoiceBox(form.sound, dialog);
    fields->addRow(ToQString(form.picture.caption), picture);
    fields->addRow(ToQString(form.format.caption), format);
    fields->addRow(ToQString(form.sound.caption), sound);
    layout->addLayout(fields);
    layout->addWidget(new QLabel(QStringLiteral("Subtitles"), dialog));
    QListWidget* subtitles = SubtitleList(form.subtitles, dialog);
    layout->addWidget(subtitles);
    auto* translations = new QCheckBox(QStringLiteral("Show machine translations"), dialog);
    translations->setVisible(std::any_of(form.subtitles.begin(), form.subtitles.end(),
                                         [](const auto& line) { return line.translated; }));
    QObject::connect(translations, &QCheckBox::toggled, subtitles, [subtitles, form](bool shown) {
        for (int row = 0; row < subtitles->count(); ++row) {
            QListWidgetItem* item = subtitles->item(row);
            const bool translated = form.subtitles[static_cast<size_t>(row)].translated;
            item->setHidden(translated && !shown && item->checkState() != Qt::Checked);
        }
    });
    layout->addWidget(translations);
    auto* inside = new QCheckBox(QStringLiteral("Put subtitles inside the video"), dialog);
    inside->setChecked(form.inside);
    layout->addWidget(inside);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [=, on_answer = std::move(on_answer)](int result) {
                         if (result != QDialog::Accepted) return on_answer(std::nullopt);
                         platform::QualityPicks picks{picture->currentIndex(),
                                                      format->currentIndex(),
                                                      sound->currentIndex(),
                                                      {},
                                                      inside->isChecked()};
                         for (int row = 0; row < subtitles->count(); ++row) {
                             if (subtitles->item(row)->checkState() == Qt::Checked)
                                 picks.subtitles.push_back(row);
                         }
                         on_answer(picks);
                     });
    open_ = dialog;
    dialog->open();
}

} // namespace tarnwick::qt
