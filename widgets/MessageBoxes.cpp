#include "widgets/MessageBoxes.h"

#include <QFile>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                const QString& text, QMessageBox::StandardButtons buttons)
{
    // A carriage return in the program's texts starts a new line.
    QMessageBox box(icon, title, QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')), buttons,
                    parent);
    // The texts carry file names and what the user typed: never markup.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void ShowErrorBox(QWidget* parent, const QString& text)
{
    QString shown = text;
    if (!shown.isEmpty() && shown.back() > QLatin1Char('.'))
        shown += QLatin1Char('.');
    Ask(parent, QMessageBox::Critical, AppTitle, shown, QMessageBox::Ok);
}

void ShowWarningBox(QWidget* parent, const QString& text)
{
    Ask(parent, QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok);
}

bool AskYesNo(QWidget* parent, const QString& text)
{
    return Ask(parent, QMessageBox::Information, QStringLiteral("Information"), text,
               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString MessageText(const std::exception& error)
{
    return QFile::decodeName(error.what());
}

bool AskSaveWithoutCopy(QWidget* parent, const CopyFailed& failed)
{
    if (!AskYesNo(parent, QStringLiteral("Could not keep a copy of %1: %2. Save anyway?")
                              .arg(QFile::decodeName(failed.path().c_str()), MessageText(failed))))
        return false;
    SaveWithoutCopy(failed.path());
    return true;
}
