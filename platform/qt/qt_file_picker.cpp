#include "platform/qt/qt_file_picker.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "platform/system/files.h"
#include "platform/system/user_folders.h"

namespace brackwater {
namespace {

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

// Qt reads a filter as "description (pattern pattern ...)"; the patterns come joined by ";".
QStringList NameFilters(const std::vector<FileFilter>& filters) {
  QStringList names;
  for (const FileFilter& filter : filters) {
    const QString patterns = ToQString(filter.pattern).split(u';', Qt::SkipEmptyParts).join(u' ');
    names.append(ToQString(filter.description) + QStringLiteral(" (") + patterns + u')');
  }
  return names;
}

// File names go through Qt's own byte form, the one the rest of the program's path conversion
// reads back, so that a name that is not UTF-8 still leads to its file.
std::u16string ChosenPath(const QString& name) {
  const QByteArray bytes = QFile::encodeName(name);
  return PathToText(std::filesystem::path(std::string(bytes.constData(), bytes.size())));
}

QString FolderName(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace

void QtFilePicker::SetOwner(std::int32_t handle, QWidget* window) {
  if (window == nullptr) {
    owners_.erase(handle);
  } else {
    owners_[handle] = window;
  }
}

QWidget* QtFilePicker::OwnerWidget(std::int32_t handle) const {
  const auto found = owners_.find(handle);
  return found == owners_.end() ? nullptr : found->second.data();
}

std::optional<std::u16string> QtFilePicker::OpenFile(const PickerRequest& request) {
  return PickFile(request, false);
}

std::optional<std::u16string> QtFilePicker::SaveFile(const PickerRequest& request) {
  return PickFile(request, true);
}

std::optional<std::u16string> QtFilePicker::PickFile(const PickerRequest& request, bool save) {
  auto* dialog = new QFileDialog(OwnerWidget(request.owner), ToQString(request.title));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  // The combo box shows the descriptions alone, as the Windows dialogs do.
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  // Neither dialog insists that the file exists; a typed name gets no extension.
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setDefaultSuffix(QString());
  const QStringList filters = NameFilters(request.filters);
  if (!filters.isEmpty()) dialog->setNameFilters(filters);
  const StartFolder start = ResolveStartFolder(request.startFolder);
  if (start.exists) dialog->setDirectory(FolderName(start.path));
  return Run(dialog);
}

std::optional<std::u16string> QtFilePicker::OpenFolder(const std::u16string& title,
                                                       std::int32_t owner) {
  auto* dialog = new QFileDialog(OwnerWidget(owner), ToQString(title));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // The Windows folder browser opens on the desktop; the home folder is the nearest thing.
  dialog->setDirectory(QDir::homePath());
  return Run(dialog);
}

std::optional<std::u16string> QtFilePicker::Run(QFileDialog* dialog) {
  // The owner may be destroyed while the dialog's loop runs, and the dialog with it: the guard
  // notices, and deletes the dialog only if it is still there.
  const QPointer<QFileDialog> guard(dialog);
  struct Deleter {
    const QPointer<QFileDialog>& dialog;
    ~Deleter() { delete dialog.data(); }
  } deleter{guard};
  dialog->setWindowModality(dialog->parentWidget() != nullptr ? Qt::WindowModal
                                                              : Qt::ApplicationModal);
  const int outcome = dialog->exec();
  if (guard.isNull() || outcome != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = guard->selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return ChosenPath(chosen.first());
}

}  // namespace brackwater
