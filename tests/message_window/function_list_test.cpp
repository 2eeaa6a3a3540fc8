// The reference card of the intrinsic functions: its bytes, how the message window lays it
// out, and what "&Continua" and "&Stampa" do.
#include <gtest/gtest.h>

#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "message_window/cp437.h"
#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/print_anywhere.h"
#include "message_window/text_wrap.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

std::vector<std::string> Entries() {
  const std::string card = FunctionCardText();
  std::vector<std::string> entries;
  for (std::string_view e : SplitParagraphs(card)) entries.emplace_back(e);
  return entries;
}

TEST(FunctionCardTest, TwentyFourEntriesOfTheGivenLengths) {
  const std::string card = FunctionCardText();
  EXPECT_EQ(card.find('\n'), std::string::npos);
  EXPECT_NE(card.front(), '\r');
  EXPECT_NE(card.back(), '\r');
  const std::size_t lengths[] = {19, 26, 57, 70, 60, 62, 64, 73, 20, 32, 48, 68,
                                 0,  78, 70, 68, 71, 68, 69, 73, 0,  35, 32, 54};
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(entries.size(), 24u);
  for (std::size_t i = 0; i < 24; ++i) EXPECT_EQ(entries[i].size(), lengths[i]) << i + 1;
  EXPECT_EQ(card.size(), 1240u);  // the entries and 23 carriage returns
}

TEST(FunctionCardTest, EntriesByteForByte) {
  // FNV-1a (64 bits) of the whole card, computed independently from the entries as listed.
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : FunctionCardText()) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  }
  EXPECT_EQ(hash, 0x57a422db8c72d9bcu);
  // The only bytes above 0x7F are the gamma sign (twice) and the superscript two.
  std::string high;
  for (const char c : FunctionCardText()) {
    if (static_cast<unsigned char>(c) >= 0x80) high += c;
  }
  EXPECT_EQ(high, "\xE2\xE2\xFD");
  const QString shown = Cp437ToQString(FunctionCardText());
  EXPECT_EQ(shown.count(QChar(0x0393)), 2);  // Γ
  EXPECT_EQ(shown.count(QChar(0x00B2)), 1);  // ²
}

TEST(FunctionCardTest, ColumnsStartWhereTheyAlign) {
  const std::vector<std::string> e = Entries();
  // {entries, 1-based column}: a column starts there, after a blank.
  struct Case {
    std::vector<int> entries;
    std::vector<std::size_t> columns;
  };
  const Case cases[] = {
      {{3, 4, 5, 6, 7, 8}, {39, 48}},
      {{24}, {39}},
      {{15, 16, 17, 18, 19, 20}, {36, 61}},
      {{14}, {34, 53}},
  };
  for (const Case& c : cases) {
    for (const int entry : c.entries) {
      const std::string& text = e[static_cast<std::size_t>(entry - 1)];
      for (const std::size_t column : c.columns) {
        EXPECT_EQ(text[column - 2], ' ') << entry << " col " << column;
        EXPECT_NE(text[column - 1], ' ') << entry << " col " << column;
      }
    }
  }
}

TEST(FunctionListTest, CardShowsTwentyTwoLinesInOrder) {
  ScriptedPlatformServices platform;
  platform.QueueModal(1);
  ShowFunctionList(platform, nullptr);
  ASSERT_EQ(platform.modals().size(), 1u);
  EXPECT_EQ(platform.modals()[0].title, QStringLiteral("Funzioni Intrinseche della Numerella"));
  const FrmMsg& frm = FrmMsg::Instance();
  std::vector<std::string> expected;
  for (const std::string& entry : Entries()) {
    if (!entry.empty()) expected.push_back(entry);
  }
  ASSERT_EQ(frm.Drawn().size(), 22u);
  const double g = 0.2 * frm.ButtonWidthTwips();
  for (std::size_t i = 0; i < 22; ++i) {
    EXPECT_EQ(frm.Drawn()[i].bytes, expected[i]) << i;
    EXPECT_NEAR(frm.Drawn()[i].x, g, 1e-9);
    if (i > 0) {
      EXPECT_NEAR(frm.Drawn()[i].y - frm.Drawn()[i - 1].y, 1.5 * frm.TextHeight("A"), 1e-9);
    }
  }
  // The first line lies one gap below the top edge, the window fits the longest entry.
  EXPECT_NEAR(frm.Drawn()[0].y, g, 1e-9);
  EXPECT_NEAR(frm.ClientWidthTwips(), frm.TextWidth(Entries()[13]) + 2 * g, 20);
}

TEST(FunctionListTest, ContinuaPrintsNothing) {
  for (const ScriptedPlatformServices::ModalAnswer& answer :
       {ScriptedPlatformServices::ModalAnswer(1),
        ScriptedPlatformServices::ModalAnswer(
            ScriptedPlatformServices::ModalAction([](QDialog& d) { d.close(); }))}) {
    ScriptedPlatformServices platform;
    platform.QueueModal(2);  // an earlier "&Stampa" must not make the close print
    ShowMessageWindow(platform, nullptr, "x", "y", kIconNone, 2, {"", "a", "b"});
    platform.QueueModal(answer);
    ShowFunctionList(platform, nullptr);
    EXPECT_EQ(platform.printer_requests(), 0);
    EXPECT_TRUE(platform.boxes().empty());
  }
}

TEST(FunctionListTest, StampaPrintsOnceOnThePrinter) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("card.pdf"));
  ScriptedPlatformServices platform;
  platform.QueuePrinter(std::make_unique<QPdfWriter>(path));
  platform.QueueModal(2);
  ShowFunctionList(platform, nullptr);
  EXPECT_EQ(platform.printer_requests(), 1);
  EXPECT_EQ(platform.modals().size(), 1u);  // the card is not shown again
  EXPECT_TRUE(platform.boxes().empty());
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

TEST(FunctionListTest, WithoutPrinterOffersAPdfFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("scheda.pdf"));
  struct Case {
    std::string name;
    int answer;      // to the question
    bool pick_file;  // in the file dialog
    bool save_fails;
    std::vector<std::string> boxes;
    bool written;
  };
  const std::vector<Case> cases = {
      {"declined", kAnswerNo, false, false, {kNoPrinterText}, false},
      {"file dialog cancelled", kAnswerYes, false, false, {kNoPrinterText}, false},
      {"saved", kAnswerYes, true, false, {kNoPrinterText}, true},
      {"saving fails", kAnswerYes, true, true, {kNoPrinterText, kPdfFailedText}, false},
  };
  for (const Case& c : cases) {
    QFile::remove(path);
    ScriptedPlatformServices platform;
    platform.QueueModal(2);
    platform.QueueBoxAnswer(c.answer);
    platform.QueueFileAnswer(c.pick_file ? std::optional<QString>(path) : std::nullopt);
    if (c.save_fails) platform.FailNextSaves(1);
    ShowFunctionList(platform, nullptr);
    std::vector<std::string> texts;
    for (const auto& box : platform.boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, c.boxes) << c.name;
    EXPECT_EQ(platform.boxes().front().style, kBoxYesNoQuestion) << c.name;
    EXPECT_EQ(platform.file_dialogs().size(), c.answer == kAnswerYes ? 1u : 0u) << c.name;
    EXPECT_EQ(QFile::exists(path), c.written) << c.name;
  }
}

TEST(FunctionListTest, FailedPrintJobOffersAPdfFile) {
  ScriptedPlatformServices platform;
  // A printer whose job cannot start: its output folder does not exist.
  platform.QueuePrinter(std::make_unique<QPdfWriter>(QStringLiteral("/nonexistent/dir/x.pdf")));
  platform.QueueModal(2);
  platform.QueueBoxAnswer(kAnswerNo);
  ShowFunctionList(platform, nullptr);
  ASSERT_EQ(platform.boxes().size(), 1u);
  EXPECT_EQ(platform.boxes()[0].text, kPrintFailedText);
}

}  // namespace
}  // namespace numerella
