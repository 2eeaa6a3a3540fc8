// The platform services of the real desktop: Qt dialogs, message boxes, files and printers.
#pragma once

#include "platform/platform_services.h"

namespace numerella {

class QtPlatformServices : public PlatformServices {
 public:
  // Runs the dialog's own event loop (QDialog::exec); it ends when the dialog is hidden.
  void ShowModal(QDialog& dialog, QWidget* owner) override;
  // A QMessageBox: style 0 = OK, 48 = OK with exclamation icon, 36 = Yes/No with question icon.
  // Texts are Latin-1 bytes.
  int ShowMessageBox(QWidget* owner, const std::string& text, int style,
                     const std::string& title) override;
  std::optional<QString> GetOpenFileName(QWidget* owner, const QString& title,
                                         const QStringList& filters, int selected_filter,
                                         const QString& folder) override;
  std::optional<QString> GetSaveFileName(QWidget* owner, const QString& title,
                                         const QStringList& filters, int selected_filter,
                                         const QString& folder) override;
  // A QFile opened read-only.
  std::unique_ptr<QIODevice> OpenForReading(const QString& path) override;
  // Writes through a QSaveFile, which replaces the file only once everything was written.
  bool SaveAtomically(const QString& path, const QByteArray& content) override;
  // A QPrinter on the default printer (or the first one known), nullptr when there is none.
  std::unique_ptr<QPagedPaintDevice> OpenPrinter() override;
};

}  // namespace numerella
