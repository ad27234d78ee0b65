#pragma once
// The file dialog that asks for the update package when none was found.

#include <QString>
#include <optional>
#include <string>

class QWidget;

QString PackageFileDialogTitle();

// Opens in the user's Downloads folder and offers KT7_Down*.dat files.
// nullopt when the user cancels.
std::optional<std::string> ChoosePackageFile(QWidget* parent);
