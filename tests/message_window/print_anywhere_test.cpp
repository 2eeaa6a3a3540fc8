// PrintAnywhere onto images and PDF pages: orientation by the picture's shape, restored
// afterwards, and the picture centred at its own size (pixels of the rendered result).
#include "message_window/print_anywhere.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "message_window/window_picture.h"

namespace numerella {
namespace {

// A picture that is one black rectangle of its whole size.
class BlockPicture : public WindowPicture {
 public:
  BlockPicture(double w, double h) : size_(w, h) {}
  QSizeF PictureSizeTwips() const override { return size_; }
  void PaintPicture(QPainter& painter, double ppt) const override {
    painter.fillRect(QRectF(0, 0, size_.width() * ppt, size_.height() * ppt), Qt::black);
  }

 private:
  QSizeF size_;
};

// The smallest rectangle holding every dark pixel of image.
QRect DarkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

QImage WhiteImage(int w, int h, int dpi) {
  QImage image(w, h, QImage::Format_RGB32);
  image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
  image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
  image.fill(Qt::white);
  return image;
}

TEST(PrintAnywhereTest, CentresThePictureOnAnImageAtItsOwnSize) {
  struct Case {
    double w, h;  // picture, twips
    int image_w, image_h, dpi;
    QRect expected;  // in image pixels
  };
  const Case cases[] = {
      // 144 dpi: 10 twips to the pixel.
      {6000, 4000, 1000, 800, 144, QRect(200, 200, 600, 400)},
      {4000, 6000, 1000, 800, 144, QRect(300, 100, 400, 600)},
      {1440, 1440, 300, 300, 72, QRect(114, 114, 72, 72)},
      {10000, 8000, 1000, 800, 144, QRect(0, 0, 1000, 800)},  // exactly the target's size
  };
  for (const Case& c : cases) {
    QImage image = WhiteImage(c.image_w, c.image_h, c.dpi);
    ASSERT_TRUE(PrintAnywhere(BlockPicture(c.w, c.h), image));
    EXPECT_EQ(DarkBox(image), c.expected) << c.w << "x" << c.h;
  }
}

// Page size in points of a PDF file's first page and the number of pages, read by pdfinfo.
struct PdfInfo {
  int pages = 0;
  double width = 0;
  double height = 0;
};

PdfInfo ReadPdfInfo(const QString& path) {
  QProcess process;
  process.start(QStringLiteral("pdfinfo"), {path});
  process.waitForFinished(30000);
  PdfInfo info;
  for (const QString& line : QString::fromLatin1(process.readAllStandardOutput()).split('\n')) {
    const QStringList words = line.simplified().split(' ');
    if (line.startsWith(QStringLiteral("Pages:")) && words.size() >= 2)
      info.pages = words[1].toInt();
    if (line.startsWith(QStringLiteral("Page size:")) && words.size() >= 5) {
      info.width = words[2].toDouble();
      info.height = words[4].toDouble();
    }
  }
  return info;
}

// The first page of a PDF file rendered at 72 dpi (one pixel to the point) by pdftoppm.
QImage RenderPdf(const QString& path, const QString& folder) {
  const QString stem = folder + QStringLiteral("/page");
  QProcess::execute(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                     QStringLiteral("-singlefile"), path, stem});
  return QImage(stem + QStringLiteral(".png"));
}

class PdfPrintTest : public testing::Test {
 protected:
  void SetUp() override {
    if (QProcess::execute(QStringLiteral("pdfinfo"), {QStringLiteral("-v")}) < 0) {
      GTEST_SKIP() << "poppler-utils not installed";
    }
  }
  QTemporaryDir dir_;
};

TEST_F(PdfPrintTest, OrientationFollowsTheShapeAndIsRestored) {
  struct Case {
    double w, h;
    QPageLayout::Orientation before;
    bool landscape;
  };
  const Case cases[] = {
      {6000, 4000, QPageLayout::Portrait, true},
      {4000, 6000, QPageLayout::Landscape, false},
      {5000, 5000, QPageLayout::Landscape, false},  // a square prints in portrait
      {6000, 4000, QPageLayout::Landscape, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    const QString path = dir_.filePath(QStringLiteral("o%1.pdf").arg(n++));
    {
      QPdfWriter writer(path);
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageMargins(QMarginsF(0, 0, 0, 0));
      writer.setPageOrientation(c.before);
      ASSERT_TRUE(PrintAnywhere(BlockPicture(c.w, c.h), writer));
      EXPECT_EQ(writer.pageLayout().orientation(), c.before);
    }
    const PdfInfo info = ReadPdfInfo(path);
    EXPECT_EQ(info.pages, 1);
    EXPECT_EQ(info.width > info.height, c.landscape) << c.w << "x" << c.h;
  }
}

TEST_F(PdfPrintTest, PictureIsCentredOnThePage) {
  const QString path = dir_.filePath(QStringLiteral("c.pdf"));
  {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    // 5 x 3 inches: 360 x 216 points on a landscape A4 page of 842 x 595 points.
    ASSERT_TRUE(PrintAnywhere(BlockPicture(7200, 4320), writer));
  }
  const QImage page = RenderPdf(path, dir_.path());
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width(), 842, 1);
  const QRect box = DarkBox(page);
  EXPECT_NEAR(box.width(), 360, 2);
  EXPECT_NEAR(box.height(), 216, 2);
  EXPECT_NEAR(box.center().x(), page.width() / 2.0, 2);
  EXPECT_NEAR(box.center().y(), page.height() / 2.0, 2);
}

TEST(PrintAnywhereFailureTest, TargetThatCannotBePaintedIsReportedAndKeepsItsOrientation) {
  QPdfWriter writer(QStringLiteral("/nonexistent/dir/x.pdf"));
  writer.setPageOrientation(QPageLayout::Portrait);
  EXPECT_FALSE(PrintAnywhere(BlockPicture(6000, 4000), writer));
  EXPECT_EQ(writer.pageLayout().orientation(), QPageLayout::Portrait);
}

}  // namespace
}  // namespace numerella
