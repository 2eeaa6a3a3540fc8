// The platform services of the real desktop, built on Qt Widgets and PrintSupport.
#include "platform/qt_platform_services.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QWindow>

#include "platform/latin1.h"

namespace numerella {

namespace {

std::optional<QString> RunFileDialog(QWidget* owner, const QString& title,
                                     const QStringList& filters, int selected_filter,
                                     const QString& folder, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner, title, folder);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  if (selected_filter >= 0 && selected_filter < filters.size()) {
    dialog.selectNameFilter(filters.at(selected_filter));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

}  // namespace

void QtPlatformServices::ShowModal(QDialog& dialog, QWidget* owner) {
  // The caller has already placed the dialog over its owner. The owner is made the dialog's
  // transient parent (kept above it) without becoming its Qt parent, so the dialog is never
  // destroyed together with the owner. exec() returns once the dialog is hidden.
  if (owner != nullptr && owner->window()->windowHandle() != nullptr) {
    dialog.winId();
    if (dialog.windowHandle() != nullptr) {
      dialog.windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
  }
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.exec();
}

int QtPlatformServices::ShowMessageBox(QWidget* owner, const std::string& text, int style,
                                       const std::string& title) {
  QMessageBox box(owner);
  box.setWindowTitle(FromBytes(title));
  // Lines of the system's texts are separated by carriage returns.
  QString shown = FromBytes(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  box.setText(shown);
  if (style == kBoxYesNoQuestion) {
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&S\u00EC"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
  }
  box.setIcon(style == kBoxOkExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return kAnswerOk;
}

std::optional<QString> QtPlatformServices::GetOpenFileName(QWidget* owner, const QString& title,
                                                           const QStringList& filters,
                                                           int selected_filter,
                                                           const QString& folder) {
  return RunFileDialog(owner, title, filters, selected_filter, folder, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPlatformServices::GetSaveFileName(QWidget* owner, const QString& title,
                                                           const QStringList& filters,
                                                           int selected_filter,
                                                           const QString& folder) {
  return RunFileDialog(owner, title, filters, selected_filter, folder, QFileDialog::AcceptSave);
}

std::unique_ptr<QIODevice> QtPlatformServices::OpenForReading(const QString& path) {
  auto file = std::make_unique<QFile>(path);
  if (!file->open(QIODevice::ReadOnly)) return nullptr;
  return file;
}

bool QtPlatformServices::SaveAtomically(const QString& path, const QByteArray& content) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(content) != content.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

std::unique_ptr<QPagedPaintDevice> QtPlatformServices::OpenPrinter() {
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
    if (all.isEmpty()) return nullptr;
    info = all.constFirst();
  }
  auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  if (!printer->isValid()) return nullptr;
  return printer;
}

}  // namespace numerella
