#include "app/PackageFileDialog.h"

#include <QFileDialog>
#include <QStandardPaths>
#include <QStringList>

#include "texts/UserTexts.h"

QString PackageFileDialogTitle()
{
    return QString::fromUtf8(kFileDialogTitle);
}

std::optional<std::string> ChoosePackageFile(QWidget* parent)
{
    QFileDialog dialog(parent, PackageFileDialogTitle(),
                       QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                       QString::fromUtf8(kFileDialogFilter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}
