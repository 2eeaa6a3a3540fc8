// SPDX-License-Identifier: GPL-3.0-or-later
// The platform services of the real desktop, built on Qt Widgets and PrintSupport.
#include "platform/qt_platform_services.h"

#include <cups/cups.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/latin1.h"
#include "platform/print_queue.h"

namespace numerella {

namespace {

std::optional<QString> RunFileDialog(QWidget* owner, const QString& title,
                                     const QStringList& filters, int selected_filter,
                                     const QString& folder, QFileDialog::AcceptMode mode,
                                     const QString& default_suffix) {
  QFileDialog dialog(owner, title, folder);
  ConfigureFileDialog(dialog, mode, filters, selected_filter, default_suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  if (mode != QFileDialog::AcceptSave) return dialog.selectedFiles().constFirst();
  // A native dialog may ignore the default suffix; adding it again changes nothing otherwise.
  return WithDefaultSuffix(dialog.selectedFiles().constFirst(),
                           SaveSuffix(dialog.selectedNameFilter(), default_suffix));
}

// The window manager draws the title in its own font, often bold, beside the window's icon and
// its buttons: a box narrower than that shows the title cut short.
int TitleBarWidth(const QWidget& window) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const int text = QFontMetrics(font).horizontalAdvance(window.windowTitle());
  const int title_bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
  constexpr int kIconAndButtons = 4;  // icon, minimise, maximise, close
  return text + kIconAndButtons * title_bar + 2 * title_bar;
}

// QMessageBox fixes its own size from its layout's minimum width each time it is shown; a
// spacer as wide as the title bar needs widens that minimum.
void KeepTitleWhole(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const QMargins margins = grid->contentsMargins();
  const int inner = TitleBarWidth(box) - margins.left() - margins.right();
  grid->addItem(new QSpacerItem(inner, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

// The print system's questions give up after this; the worker thread that asks them is
// waited for a little longer, and abandoned after that.
constexpr std::chrono::milliseconds kPrintSystemLimit{2000};
constexpr std::chrono::milliseconds kWorkerSlack{1500};

// Runs work on a worker thread while this thread runs a local event loop, so the windows keep
// painting; user input is held back until the loop ends. nullopt when work has not finished
// within kPrintSystemLimit + kWorkerSlack: its thread is then left to end on its own, and its
// result dropped.
template <typename T>
std::optional<T> WhileWindowsPaint(std::function<T()> work) {
  struct Shared {
    std::mutex mutex;
    std::optional<T> result;
  };
  auto shared = std::make_shared<Shared>();
  try {
    std::thread([shared, work = std::move(work)] {
      T result = work();
      const std::lock_guard<std::mutex> lock(shared->mutex);
      shared->result = std::move(result);
    }).detach();
  } catch (const std::system_error&) {
    return std::nullopt;  // no thread to be had: as if the print system did not answer
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    const std::lock_guard<std::mutex> lock(shared->mutex);
    if (shared->result || clock.elapsed() >= (kPrintSystemLimit + kWorkerSlack).count())
      loop.quit();
  });
  poll.start(20);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  QApplication::restoreOverrideCursor();
  const std::lock_guard<std::mutex> lock(shared->mutex);
  return shared->result;
}

}  // namespace

void ConfigureFileDialog(QFileDialog& dialog, QFileDialog::AcceptMode mode,
                         const QStringList& filters, int selected_filter,
                         const QString& default_suffix) {
  dialog.setAcceptMode(mode);
  // AnyFile in both modes: the Open dialog hands back a name that does not exist instead of
  // refusing it with a message of its own.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters(filters);
  if (selected_filter >= 0 && selected_filter < filters.size()) {
    dialog.selectNameFilter(filters.at(selected_filter));
  }
  if (mode != QFileDialog::AcceptSave) return;
  dialog.setDefaultSuffix(SaveSuffix(dialog.selectedNameFilter(), default_suffix));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, default_suffix](const QString& filter) {
                     dialog.setDefaultSuffix(SaveSuffix(filter, default_suffix));
                   });
}

QString WithDefaultSuffix(const QString& path, const QString& suffix) {
  if (suffix.isEmpty() || path.isEmpty() || path.endsWith(QLatin1Char('/'))) return path;
  const qsizetype name_start = path.lastIndexOf(QLatin1Char('/')) + 1;
  if (path.indexOf(QLatin1Char('.'), name_start + 1) >= 0) return path;
  return path + QLatin1Char('.') + suffix;
}

QString SaveSuffix(const QString& filter, const QString& default_suffix) {
  if (!default_suffix.isEmpty()) return default_suffix;
  const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
  const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
  const QString patterns =
      open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
  const QStringList list = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (list.size() != 1 || !list.constFirst().startsWith(QLatin1String("*."))) return QString();
  const QString extension = list.constFirst().mid(2);
  static const QRegularExpression kPlain(QStringLiteral("^[^*?\\[\\]./]+$"));
  return kPlain.match(extension).hasMatch() ? extension : QString();
}

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

BoxAnswer QtPlatformServices::ShowMessageBox(QWidget* owner, const std::string& text,
                                             BoxStyle style, const std::string& title) {
  QMessageBox box(owner);
  box.setWindowTitle(FromBytes(title));
  // Lines of the system's texts are separated by carriage returns.
  QString shown = FromBytes(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  box.setText(shown);
  if (style == BoxStyle::kYesNoQuestion) {
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&S\u00EC"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    KeepTitleWhole(box);  // last: setting icon or buttons lays the box out anew
    return box.exec() == QMessageBox::Yes ? BoxAnswer::kYes : BoxAnswer::kNo;
  }
  box.setIcon(style == BoxStyle::kOkExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  KeepTitleWhole(box);
  box.exec();
  return BoxAnswer::kOk;
}

std::optional<QString> QtPlatformServices::GetOpenFileName(QWidget* owner, const QString& title,
                                                           const QStringList& filters,
                                                           int selected_filter,
                                                           const QString& folder) {
  return RunFileDialog(owner, title, filters, selected_filter, folder, QFileDialog::AcceptOpen,
                       QString());
}

std::optional<QString> QtPlatformServices::GetSaveFileName(QWidget* owner, const QString& title,
                                                           const QStringList& filters,
                                                           int selected_filter,
                                                           const QString& folder,
                                                           const QString& default_suffix) {
  return RunFileDialog(owner, title, filters, selected_filter, folder, QFileDialog::AcceptSave,
                       default_suffix);
}

std::unique_ptr<QIODevice> QtPlatformServices::OpenForReading(const std::string& path) {
  const int fd = OpenRegularForReading(path);
  if (fd < 0) return nullptr;
  auto file = std::make_unique<QFile>();
  if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return nullptr;
  }
  return file;
}

bool QtPlatformServices::SaveAtomically(const QString& path, const QByteArray& content) {
  const QByteArray name = QFile::encodeName(path);
  return static_cast<bool>(SaveRegularFile(
      std::string(name.constData(), static_cast<std::size_t>(name.size())),
      std::string_view(content.constData(), static_cast<std::size_t>(content.size())), calls_));
}

PrintOutcome QtPlatformServices::PrintPage(const std::function<bool(QPagedPaintDevice&)>& paint) {
  const std::optional<PrintQueue> queue =
      WhileWindowsPaint<PrintQueue>([] { return AskDefaultQueue(kPrintSystemLimit); });
  if (!queue || queue->state == PrintQueue::State::kNone) return PrintOutcome::kNoPrinter;
  if (queue->state == PrintQueue::State::kRejecting) return PrintOutcome::kRefused;
  QString id = QString::fromLocal8Bit(queue->name.c_str());
  if (!queue->instance.empty()) id += QLatin1Char('/') + QString::fromLocal8Bit(queue->instance);
  QPrinter printer(QPrinterInfo::printerInfo(id), QPrinter::HighResolution);
  if (!printer.isValid()) return PrintOutcome::kNoPrinter;
  if (!paint(printer)) return PrintOutcome::kFailed;
  // The job went to the print system when the document ended, on this thread; a refusal there
  // is only told by libcups's last error. The job itself is then followed for a moment.
  const bool submit_failed = cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE;
  const std::optional<JobFate> fate =
      queue->last_job < 0
          ? std::nullopt
          : WhileWindowsPaint<JobFate>([name = queue->name, after = queue->last_job] {
              return FollowJob(name, after, kPrintSystemLimit);
            });
  if (fate == JobFate::kFailed) return PrintOutcome::kFailed;
  if (fate != JobFate::kTaken && submit_failed) return PrintOutcome::kRefused;
  return PrintOutcome::kPrinted;
}

}  // namespace numerella
