#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace platform {

struct ChosenFont {
    QFont font;
    QColor colour;
};

// The font chooser and the file-open dialog; nullopt when the user cancels.
class Choosers {
public:
    virtual ~Choosers() = default;
    virtual std::optional<ChosenFont> chooseFont(QWidget* owner, const ChosenFont& initial) = 0;
    // filter in Qt's form, e.g. "WAV files (*.wav);;All file (*)".
    virtual std::optional<QString> chooseOpenFile(QWidget* owner, const QString& initialFile, const QString& filter,
                                                  const QString& defaultSuffix) = 0;
    virtual std::optional<QString> chooseFolder(QWidget* owner, const QString& initialFolder) = 0;
};

class QtChoosers final : public Choosers {
public:
    std::optional<ChosenFont> chooseFont(QWidget* owner, const ChosenFont& initial) override;
    std::optional<QString> chooseOpenFile(QWidget* owner, const QString& initialFile, const QString& filter,
                                          const QString& defaultSuffix) override;
    std::optional<QString> chooseFolder(QWidget* owner, const QString& initialFolder) override;
};

} // namespace platform
