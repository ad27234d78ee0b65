#include "app/PackageFileDialog.h"

#include <QFileDialog>
#include <QStandardPaths>
#include <QStringList>

QString PackageFileDialogTitle()
{
    return QString::fromUtf8("选择升级文件");
}

std::optional<std::string> ChoosePackageFile(QWidget* parent)
{
    QFileDialog dialog(parent, PackageFileDialogTitle(),
                       QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                       QString::fromUtf8("升级文件 (KT7_Down*.dat)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}
