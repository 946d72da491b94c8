// The window while a run works: its progress, the locked settings and the log that follows its
// newest line; and the offset table filled from a time-zone name.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

// Moves on by 60 ms at every reading, so each progress check finds its interval passed.
class SteppingClock final : public Clock {
 public:
  DateTime now() const override { return now_ = now_.addMicroseconds(60'000); }

 private:
  mutable DateTime now_ = DateTime::fromParts(2026, 12, 5, 8, 0);
};

struct Seen {
  QString progress;
  bool settingsEnabled;
};

TEST_F(WindowTest, ARunShowsItsProgressWithTheSettingsLockedAndTheLogFollowsItsEnd) {
  createDestination(test.folder.path() / "dest.db");
  form.cboOleProvider.setText("SQLite");
  form.txtDataSource.setText("dest.db");
  form.txtSourceCSV.setText((test.folder.path() / "in").string());
  std::string csv = "Time,Tag,Value\r\n";
  for (int row = 0; row < 2500; ++row)
    csv += "2024-03-07 14:05:09,A," + std::to_string(row) + "\r\n";
  for (int row = 0; row < 40; ++row) csv += "bad,A,1\r\n";
  std::filesystem::create_directory(test.folder.path() / "in");
  writeFile(test.folder.path() / "in" / "long.csv", csv);
  const SteppingClock clock;
  test.session.clock = &clock;
  std::vector<Seen> seen;
  test.eventLoop.onYield = [&] {
    QApplication::processEvents();
    seen.push_back({widget<QLabel>("lblProgress").text(), widget<QGroupBox>("Frame2").isEnabled()});
  };

  QTest::mouseClick(&widget<QPushButton>("btnTransferData"), Qt::LeftButton);

  ASSERT_EQ(seen.size(), 3u) << "at 1024 and 2048 rows, and after the file: "
                             << ::testing::PrintToString(form.lstLog.items());
  for (std::size_t i = 0; i < 2; ++i) {
    const QString rows = QString::number(1024 * (i + 1));
    EXPECT_TRUE(seen[i].progress.startsWith("File 1 of 1, " + rows + " rows read, "))
        << seen[i].progress.toStdString();
    EXPECT_TRUE(seen[i].progress.endsWith(" rows per second"));
  }
  for (const Seen& s : seen) EXPECT_FALSE(s.settingsEnabled);
  EXPECT_TRUE(widget<QGroupBox>("Frame2").isEnabled());
  EXPECT_EQ(widget<QLabel>("lblProgress").text(), "");
  const QScrollBar& bar = *widget<QListWidget>("lstLog").verticalScrollBar();
  EXPECT_GT(bar.maximum(), 0);
  EXPECT_EQ(bar.value(), bar.maximum());
}

struct FillCase {
  std::string name;
  std::string typed;
  std::int32_t rows;  // of spUTC afterwards
  std::string prompt;
};

class FillUtc : public WindowTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillUtc, FillsTheOffsetTableFromTheZone) {
  form.spUTC.setCell(9, 1, "kept unless filled");
  QTest::keyClicks(&widget<QLineEdit>("txtUtcZone"), QString::fromStdString(GetParam().typed));
  QTest::mouseClick(&widget<QPushButton>("btnFillUtc"), Qt::LeftButton);
  EXPECT_EQ(form.spUTC.rowCount(), GetParam().rows);
  std::vector<std::string> prompts;
  for (const auto& box : test.messageBox.shown) prompts.push_back(box.prompt);
  EXPECT_EQ(prompts, GetParam().prompt.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{GetParam().prompt});
}

INSTANTIATE_TEST_SUITE_P(
    Typed, FillUtc,
    ::testing::Values(
        FillCase{"zone_and_years", "Europe/Berlin 2024 2025", 5, ""},
        // The fake clock's year is 2026: that year and the next.
        FillCase{"zone_alone", "America/New_York", 5, ""},
        FillCase{"unknown_zone", "Mars/Olympus", 9,
                 "Error in Procedure btnFillUtc_Click\r\nError 5 - Invalid procedure call or "
                 "argument: no time zone named Mars/Olympus"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace csv2sql::testing
