#include "uieditor/CsvTransfer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "data/EquipCsv.h"
#include "data/Equipment.h"
#include "data/FileIO.h"
#include "widgets/MessageBoxes.h"

namespace {

const QString CsvFilter = QStringLiteral("CSV (*.csv)");

// The path the user picks, or an empty one when cancelled.
std::string PickCsvFile(QWidget* parent, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, mode == QFileDialog::AcceptSave ? QStringLiteral("Export to CSV")
                                                               : QStringLiteral("Import from CSV"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(CsvFilter);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setDirectory(QDir::currentPath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

void ShowImportErrors(QWidget* parent, const std::vector<std::string>& errors)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgCsvErrors"));
    dialog.setWindowTitle(QStringLiteral("Import from CSV"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* summary = new QLabel(QString::fromStdString(CountOfErrors(errors.size()))
                               + (errors.size() == 1 ? " was" : " were") + " found, so nothing was imported:");
    layout->addWidget(summary);
    auto* list = new QPlainTextEdit;
    list->setObjectName(QStringLiteral("edtErrors"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlainText(QString::fromUtf8(ListedErrors(errors)));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(640, 320);
    dialog.exec();
}

}  // namespace

bool ExportTableToCsv(QWidget* parent)
{
    const std::string path = PickCsvFile(parent, QFileDialog::AcceptSave);
    return !path.empty() && RunCommand(parent, [&] { WriteEquipCsvFile(path, Equipment); });
}

std::unique_ptr<TEquipTable> ImportTableFromCsv(QWidget* parent)
{
    const std::string path = PickCsvFile(parent, QFileDialog::AcceptOpen);
    EquipCsvImport imported;
    if (path.empty() || !RunCommand(parent, [&] { imported = ImportEquipCsv(ReadEquipCsvFile(path), path, Equipment); }))
        return nullptr;
    if (!imported.Errors.empty())
        ShowImportErrors(parent, imported.Errors);
    return std::move(imported.Table);
}
