// What the windows need from the desktop: modal showing, the standard message box, the file
// dialogs, files and the printer. The Qt implementation talks to the real desktop; the scripted
// one answers from a script and records what was asked, so that tests run without a user.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

class QDialog;
class QIODevice;
class QPagedPaintDevice;
class QWidget;

namespace numerella {

// Style codes of the standard message box.
inline constexpr int kBoxOk = 0;              // one OK button, no icon
inline constexpr int kBoxOkExclamation = 48;  // one OK button, exclamation icon
inline constexpr int kBoxYesNoQuestion = 36;  // Yes and No buttons, question icon

// Button numbers ShowMessageBox returns.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Shows dialog modally over owner and returns once it has been hidden again.
  virtual void ShowModal(QDialog& dialog, QWidget* owner) = 0;

  // The standard message box; returns the number of the button that closed it.
  virtual int ShowMessageBox(QWidget* owner, const std::string& text, int style,
                             const std::string& title) = 0;

  // The common file dialogs. filters are shown in order, selected_filter (0-based) chosen at
  // first; folder is where the dialog starts. nullopt when the user cancelled.
  virtual std::optional<QString> GetOpenFileName(QWidget* owner, const QString& title,
                                                 const QStringList& filters, int selected_filter,
                                                 const QString& folder) = 0;
  virtual std::optional<QString> GetSaveFileName(QWidget* owner, const QString& title,
                                                 const QStringList& filters, int selected_filter,
                                                 const QString& folder) = 0;

  // A file opened for reading, or nullptr when it cannot be opened.
  virtual std::unique_ptr<QIODevice> OpenForReading(const QString& path) = 0;
  // Replaces the file with content as a whole; on failure the file keeps what it held.
  virtual bool SaveAtomically(const QString& path, const QByteArray& content) = 0;

  // The printer, ready for one page, or nullptr when none is installed.
  virtual std::unique_ptr<QPagedPaintDevice> OpenPrinter() = 0;
};

}  // namespace numerella
