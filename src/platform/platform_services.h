// SPDX-License-Identifier: GPL-3.0-or-later
// What the windows need from the desktop: modal showing, the standard message box, the file
// dialogs, files and the printer. The Qt implementation talks to the real desktop; the tests
// use doubles (tests/support) that answer from a script and record what was asked.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QDialog;
class QIODevice;
class QPagedPaintDevice;
class QWidget;

namespace numerella {

// The kinds of the standard message box, by the style code the desktop gives each.
enum class BoxStyle : int {
  kOk = 0,              // one OK button, no icon
  kOkExclamation = 48,  // one OK button, exclamation icon
  kYesNoQuestion = 36,  // Yes and No buttons, question icon
};

// The button that closed a standard message box, by the number the desktop gives each.
enum class BoxAnswer : int {
  kOk = 1,
  kYes = 6,
  kNo = 7,
};

// How a page sent to the printer fared.
enum class PrintOutcome {
  kPrinted,    // the print system took the job
  kNoPrinter,  // none installed, or the print system did not answer in time
  kRefused,    // the printer does not take jobs, or turned this one down
  kFailed,     // the page could not be painted, or the print system gave the job up
};

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Shows dialog modally over owner and returns once it has been hidden again.
  virtual void ShowModal(QDialog& dialog, QWidget* owner) = 0;

  // The standard message box; returns the button that closed it.
  virtual BoxAnswer ShowMessageBox(QWidget* owner, const std::string& text, BoxStyle style,
                                   const std::string& title) = 0;

  // The common file dialogs. filters are shown in order, selected_filter (0-based) chosen at
  // first; folder is where the dialog starts. nullopt when the user cancelled. Any typed name
  // is returned, whether it exists or not: the caller opens it and reports what fails. The
  // Save As dialog does not ask before replacing; default_suffix (without the dot), when not
  // empty, is added to a chosen name that has no extension.
  virtual std::optional<QString> GetOpenFileName(QWidget* owner, const QString& title,
                                                 const QStringList& filters, int selected_filter,
                                                 const QString& folder) = 0;
  virtual std::optional<QString> GetSaveFileName(QWidget* owner, const QString& title,
                                                 const QStringList& filters, int selected_filter,
                                                 const QString& folder,
                                                 const QString& default_suffix = QString()) = 0;

  // A regular file opened for reading without blocking, or nullptr when path names no regular
  // file or it cannot be opened (a FIFO, socket, device or folder is never opened). path holds
  // the name's bytes as the system takes them (QFile::encodeName of a dialog's answer), so
  // that names in any encoding can be read.
  virtual std::unique_ptr<QIODevice> OpenForReading(const std::string& path) = 0;
  // Replaces the regular file at path, or creates it, with content as a whole. True only when
  // all of content was written, flushed to the disk and put in place. On false nothing on the
  // disk has changed: the old file keeps every byte, and a path that names no regular file (a
  // device, FIFO, socket or folder) is left alone. Symbolic links are followed.
  virtual bool SaveAtomically(const QString& path, const QByteArray& content) = 0;

  // Prints one page on the printer: paint draws it on the printer's device and ends the
  // document, returning false when that failed. Never waits long for the print system; while
  // it waits the windows keep painting and user input is held back.
  virtual PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>& paint) = 0;
};

}  // namespace numerella
