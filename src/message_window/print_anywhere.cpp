// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a window's picture centred on a target, and the printer command with its PDF
// fall-back.
#include "message_window/print_anywhere.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <cmath>
#include <optional>

#include "message_window/window_picture.h"
#include "platform/platform_services.h"
#include "platform/twips.h"

namespace numerella {

namespace {

// Switches a paged target to the picture's orientation; returns the orientation to restore.
std::optional<QPageLayout::Orientation> TurnPage(QPaintDevice& dest, const QSizeF& picture) {
  auto* paged = dynamic_cast<QPagedPaintDevice*>(&dest);
  if (paged == nullptr) return std::nullopt;
  const QPageLayout::Orientation before = paged->pageLayout().orientation();
  paged->setPageOrientation(QPageLayout::Portrait);
  if (picture.width() > picture.height()) paged->setPageOrientation(QPageLayout::Landscape);
  return before;
}

void RestorePage(QPaintDevice& dest, const std::optional<QPageLayout::Orientation>& before) {
  if (before) dynamic_cast<QPagedPaintDevice&>(dest).setPageOrientation(*before);
}

}  // namespace

bool PrintAnywhere(const WindowPicture& src, QPaintDevice& dest) {
  const QSizeF picture = src.PictureSizeTwips();
  const std::optional<QPageLayout::Orientation> before = TurnPage(dest, picture);
  QPainter painter;
  if (!painter.begin(&dest)) {
    RestorePage(dest, before);
    return false;
  }
  // Both sizes in the target's pixels: the picture's twips at the target's resolution.
  const double ppt_x = dest.logicalDpiX() / kTwipsPerInch;
  const double ppt_y = dest.logicalDpiY() / kTwipsPerInch;
  const double x = std::abs(dest.width() - picture.width() * ppt_x) / 2;
  const double y = std::abs(dest.height() - picture.height() * ppt_y) / 2;
  painter.translate(x, y);
  src.PaintPicture(painter, ppt_x);
  const bool ended = painter.end();
  auto* printer = dynamic_cast<QPrinter*>(&dest);
  const bool failed = !ended || (printer != nullptr && printer->printerState() == QPrinter::Error);
  RestorePage(dest, before);
  return !failed;
}

namespace {

// Asks for a file name and writes the page there as a PDF; tells the user when that fails.
void OfferPdf(PlatformServices& platform, QWidget* owner, const WindowPicture& src,
              const char* question) {
  if (platform.ShowMessageBox(owner, question, BoxStyle::kYesNoQuestion, kPrintTitle) !=
      BoxAnswer::kYes) {
    return;
  }
  // Starts in the folder the program was started from (it never changes its working folder);
  // a name typed without extension gets ".pdf".
  const std::optional<QString> path = platform.GetSaveFileName(
      owner, QStringLiteral("Salva come PDF"), {QStringLiteral("Documenti PDF (*.pdf)")}, 0,
      QDir::currentPath(), QStringLiteral("pdf"));
  if (!path || path->isEmpty()) return;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  bool written = false;
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(QStringLiteral("Numerella"));
    writer.setCreator(QStringLiteral("Numerella"));
    written = PrintAnywhere(src, writer);
  }  // the writer completes the document when it goes
  if (!written || !platform.SaveAtomically(*path, buffer.data())) {
    platform.ShowMessageBox(owner, kPdfFailedText, BoxStyle::kOkExclamation, kPrintTitle);
  }
}

}  // namespace

void PrintOnPrinterOrPdf(PlatformServices& platform, QWidget* owner, const WindowPicture& src) {
  switch (platform.PrintPage(
      [&src](QPagedPaintDevice& printer) { return PrintAnywhere(src, printer); })) {
    case PrintOutcome::kPrinted:
      return;
    case PrintOutcome::kNoPrinter:
      return OfferPdf(platform, owner, src, kNoPrinterText);
    case PrintOutcome::kRefused:
      return OfferPdf(platform, owner, src, kPrintRefusedText);
    case PrintOutcome::kFailed:
      return OfferPdf(platform, owner, src, kPrintFailedText);
  }
}

}  // namespace numerella
