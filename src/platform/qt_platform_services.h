// SPDX-License-Identifier: GPL-3.0-or-later
// The platform services of the real desktop: Qt dialogs, message boxes, files and printers.
#pragma once

#include <QFileDialog>

#include "platform/platform_services.h"
#include "platform/regular_files.h"

namespace numerella {

// How the file dialogs are set up: any typed name is accepted (the program reports a missing
// file itself), Save As replaces without asking and adds SaveSuffix to a name without one,
// following the filter the user picks.
void ConfigureFileDialog(QFileDialog& dialog, QFileDialog::AcceptMode mode,
                         const QStringList& filters, int selected_filter,
                         const QString& default_suffix);
// path with ".<suffix>" added when its file name has no extension (a dot after its first
// character) and suffix is not empty; otherwise path unchanged.
QString WithDefaultSuffix(const QString& path, const QString& suffix);
// The extension Save As adds under filter: default_suffix when given, otherwise the one
// extension the filter names ("File Numerella (*.nmr)" gives "nmr"; "*", "*.*" or several
// patterns give none).
QString SaveSuffix(const QString& filter, const QString& default_suffix);

class QtPlatformServices : public PlatformServices {
 public:
  // Files go through calls (the real system calls unless a test injects failures).
  explicit QtPlatformServices(FileCalls& calls = FileCalls::Real()) : calls_(calls) {}

  // Runs the dialog's own event loop (QDialog::exec); it ends when the dialog is hidden.
  void ShowModal(QDialog& dialog, QWidget* owner) override;
  // A QMessageBox with the buttons and the icon of style.
  // Texts are Latin-1 bytes.
  BoxAnswer ShowMessageBox(QWidget* owner, const std::string& text, BoxStyle style,
                           const std::string& title) override;
  std::optional<QString> GetOpenFileName(QWidget* owner, const QString& title,
                                         const QStringList& filters, int selected_filter,
                                         const QString& folder) override;
  std::optional<QString> GetSaveFileName(QWidget* owner, const QString& title,
                                         const QStringList& filters, int selected_filter,
                                         const QString& folder,
                                         const QString& default_suffix = QString()) override;
  // A QFile over a descriptor from OpenRegularForReading.
  std::unique_ptr<QIODevice> OpenForReading(const std::string& path) override;
  // SaveRegularFile: every step checked, the file's access kept.
  bool SaveAtomically(const QString& path, const QByteArray& content) override;
  // A QPrinter on the default printer (or the first one known). The print system is asked
  // about the queue first, and about the job afterwards, from a worker thread with a time
  // limit, while this thread runs a local event loop.
  PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>& paint) override;

 private:
  FileCalls& calls_;
};

}  // namespace numerella
