#include "gui/platform/Choosers.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>

namespace platform {

std::optional<ChosenFont> QtChoosers::chooseFont(QWidget* owner, const ChosenFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial.font, owner, QCoreApplication::translate("Choosers", "Font"));
    if (!ok)
        return std::nullopt;
    // Qt's font chooser has no colour of its own; the colour is chosen right after it.
    // Cancelling that second step keeps the font just chosen with the colour it had.
    const QColor colour =
        QColorDialog::getColor(initial.colour, owner, QCoreApplication::translate("Choosers", "Font colour"));
    return ChosenFont{font, colour.isValid() ? colour : initial.colour};
}

std::optional<QString> QtChoosers::chooseOpenFile(QWidget* owner, const QString& initialFile, const QString& filter,
                                                  const QString& defaultSuffix)
{
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtChoosers::chooseFolder(QWidget* owner, const QString& initialFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(owner, QString(), initialFolder);
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

} // namespace platform
