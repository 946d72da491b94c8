#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>

#include "import/file_layout.h"
#include "import/tests/gzipped.h"
#include "import/tests/postgres_fixture.h"
#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

// An export as a plant or a lab writes it, the keys that read it, and what a run stores of it
// ("DateTime|Tag|Value", times to the millisecond without trailing zeros, in the order of the
// file) and logs for the rows it skips; the recognition echoes a date as it reads it, each "T" a
// blank.
struct Export {
  const char* name;
  std::string keys;  // for setFields
  std::string file;
  std::string text;
  Lines rows;
  Lines skipped;
};

const Export kExports[] = {
    {"german_excel",
     "DELIMITER=;|DECIMALMARK=,|DATEFORMAT=dd.mm.yyyy hh:nn:ss",
     "messung.csv",
     csvLines({"Zeit;Messstelle;Wert", "07.03.2024 10:00:00;T1;12,5",
               "07.03.2024 10:15:00;T2;1,5E3", "07.03.2024 10:30:00;T3;1.5",
               "2024-03-07 10:45:00;T1;1"}),
     {"2024-03-07 10:00:00|T1|12.5", "2024-03-07 10:15:00|T2|1500"},
     {"Row 4 invalid value (1.5) record skipped",
      "Row 5 invalid date (2024-03-07 10:45:00) record skipped"}},
    {"rfc4180_quotes",
     "QUOTES=YES",
     "quoted.csv",
     csvLines({"\"Time\",\"Tag\",\"Value\"", "\"2024-03-07 10:00:00\",\"T,2\",\"12.5\"",
               "\"2024-03-07 10:01:00\",\"say \"\"hi\"\"\",\"1\"", "\"2024-03-07 10:02:00\",\"two",
               "lines\",\"2\"", "\"2024-03-07 10:03:00\",\"T4\",\"x\""}),
     {"2024-03-07 10:00:00|T,2|12.5", "2024-03-07 10:01:00|say \"hi\"|1",
      "2024-03-07 10:02:00|two\nlines|2"},
     {"Row 6 invalid value (x) record skipped"}},
    {"tab_separated",
     "DELIMITER=TAB",
     "tabs.csv",
     csvLines({"Time\tTag\tValue", "2024-03-07 10:00:00\tT 1\t1.5", "2024-03-07 10:01:00,T2,2"}),
     {"2024-03-07 10:00:00|T 1|1.5"},
     {"Row 3 invalid date (2024-03-07 10:01:00, 2,2) record skipped"}},
    {"date_and_time_columns",
     "COLTIME=2|COLTAG=3|COLVALUE=4|DATEORDER=DMY",
     "split.csv",
     csvLines({"Date,Time,Tag,Value", "07/03/2024,10:15:30,T1,1", "07/03/2024,,T1,2"}),
     {"2024-03-07 10:15:30|T1|1"},
     {"Row 3 invalid date (07/03/2024 ) record skipped"}},
    {"day_month_order",
     "DATEORDER=DMY",
     "dmy.csv",
     csvLines({"Time,Tag,Value", "07/03/2024 10:00:00,T1,1", "13/03/2024 10:00:00,T1,2"}),
     {"2024-03-07 10:00:00|T1|1", "2024-03-13 10:00:00|T1|2"},
     {}},
    {"epoch_seconds",
     "DATEFORMAT=UNIX",
     "epoch.csv",
     csvLines({"t,tag,v", "1709805600,T1,1", "1709805600.25,T1,2", "17098056OO,T1,3"}),
     {"2024-03-07 10:00:00|T1|1", "2024-03-07 10:00:00.25|T1|2"},
     {"Row 4 invalid date (17098056OO) record skipped"}},
    {"epoch_milliseconds",
     "DATEFORMAT=UNIXMS",
     "epochms.csv",
     csvLines({"t,tag,v", "1709805600123,T1,1"}),
     {"2024-03-07 10:00:00.123|T1|1"},
     {}},
    {"excel_serials",
     "DATEFORMAT=EXCEL",
     "serials.csv",
     csvLines({"t,tag,v", "45358.4166666667,T1,1", "45358,T1,2", "45358.000005,T1,3"}),
     {"2024-03-07 10:00:00|T1|1", "2024-03-07 00:00:00|T1|2", "2024-03-07 00:00:00.432|T1|3"},
     {}},
    {"iso_with_offsets",
     "DATEFORMAT=ISO",
     "iso.csv",
     csvLines({"t,tag,v", "2024-03-07T11:00:00+01:00,A,1", "2024-03-07 05:00:00-0500,B,2",
               "2024-03-07T10:00:00Z,C,3", "2024-03-07T10:00:00.5+01:00,D,4",
               "2024-03-07T10:00:00+1:00,E,5"}),
     {"2024-03-07 10:00:00|A|1", "2024-03-07 10:00:00|B|2", "2024-03-07 10:00:00|C|3",
      "2024-03-07 09:00:00.5|D|4"},
     {"Row 6 invalid date (2024-03-07T10:00:00+1:00) record skipped"}},
    {"wide_historian",
     "LAYOUT=WIDE|HEADERROWS=2",
     "wide.csv",
     csvLines({"Historian export,,,", "Time, FIT101 ,TIC202,LT3", "2024-03-07 10:00:00,1.5,,abc",
               "2024-03-07 10:01:00,2,3,4"}),
     {"2024-03-07 10:00:00|FIT101|1.5", "2024-03-07 10:01:00|FIT101|2",
      "2024-03-07 10:01:00|TIC202|3", "2024-03-07 10:01:00|LT3|4"},
     {"Row 3 invalid value (abc) record skipped"}},
    {"txt_export",
     "FILES=*.TXT",
     "export.txt",
     csvLines({"t,tag,v", "2024-03-07 10:00:00,T1,1"}),
     {"2024-03-07 10:00:00|T1|1"},
     {}},
    {"gzip_export",
     "FILES=*.csv;*.csv.gz",
     "plant.csv.gz",
     gzipped(csvLines({"t,tag,v", "2024-03-07 10:00:00,T1,1", "bad,T1,2"})),
     {"2024-03-07 10:00:00|T1|1"},
     {"Row 3 invalid date (bad) record skipped"}},
    {"gzip_of_german_utf16",
     "FILES=*.gz|DELIMITER=;|DECIMALMARK=,",
     "messung.txt.gz",
     gzipped(asUtf16(csvLines({"Zeit;Messstelle;Wert", "2024-03-07 10:00:00;T1;12,5"}), true)),
     {"2024-03-07 10:00:00|T1|12.5"},
     {}},
    {"utf16_little_endian",
     "",
     "unicode.csv",
     asUtf16(csvLines({"Zeit,Tag,Wert",
                       "2024-03-07 10:00:00,T\xC2\xB0"
                       "C,1"}),
             true),
     {"2024-03-07 10:00:00|T\xC2\xB0"
      "C|1"},
     {}},
    {"utf16_big_endian",
     "",
     "unicode.csv",
     asUtf16(csvLines({"Zeit,Tag,Wert", "2024-03-07 10:00:00,T1,1"}), false),
     {"2024-03-07 10:00:00|T1|1"},
     {}},
};

// The skip lines among a run's log lines.
Lines skipLines(const Lines& texts) {
  Lines lines;
  for (const std::string& text : texts) {
    if (text.ends_with(" record skipped")) lines.push_back(text);
  }
  return lines;
}

class ExportsIntoSqlite : public ImportRunTest, public ::testing::WithParamInterface<Export> {
 public:
  Lines rows() const {
    return queryRows(databaseFile,
                     "SELECT substr(DateTime, 1, 23), Tag, printf('%.15g', Value) FROM CSVDATA "
                     "ORDER BY rowid");
  }
};

TEST_P(ExportsIntoSqlite, StoresEachReadingAndLogsEachSkippedRow) {
  const Export& c = GetParam();
  setFields(settings, c.keys, test.folder.path());
  settings.archive = true;
  writeCsv(c.file, c.text);
  writeCsv("other.log", csvLines({"t,tag,v", "2024-03-07 10:00:00,NOT,1"}));

  EXPECT_EQ(runImport(), RunEnd::Normal) << logTexts().back();
  EXPECT_EQ(rows(), c.rows);
  EXPECT_EQ(skipLines(logTexts()), c.skipped);
  const auto archived = namesIn(archiveFolder);
  ASSERT_EQ(archived.size(), 1u);
  // Archived under the archive naming, its own extension (".gz" for gzip) kept.
  EXPECT_TRUE(archived[0].ends_with(std::filesystem::path(c.file).extension().string()))
      << archived[0];
  EXPECT_TRUE(inSource("other.log"));
}

INSTANTIATE_TEST_SUITE_P(Exports, ExportsIntoSqlite, ::testing::ValuesIn(kExports),
                         [](const auto& info) { return std::string(info.param.name); });

// The same exports into PostgreSQL, through libpq and through psqlODBC.
class ExportsIntoPostgres : public PostgresRunTest,
                            public ::testing::WithParamInterface<std::tuple<Export, bool>> {};

TEST_P(ExportsIntoPostgres, StoresEachReadingAndLogsEachSkippedRow) {
  const auto& [c, odbc] = GetParam();
  if (odbc) {
    settings.provider = "MSDASQL";
    settings.dataSource = server->dsn;
  }
  setFields(settings, c.keys, test.folder.path());
  writeCsv(c.file, c.text);

  EXPECT_EQ(runImport(), RunEnd::Normal) << logTexts().back();
  Lines stored =
      pg("SELECT rtrim(rtrim(to_char(DateTime, 'YYYY-MM-DD HH24:MI:SS.MS'), '0'), '.'),"
         " Tag, Value FROM " +
         table + " ORDER BY DateTime, Tag");
  Lines expected = c.rows;
  std::ranges::sort(expected);
  std::ranges::sort(stored);
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(skipLines(logTexts()), c.skipped);
}

INSTANTIATE_TEST_SUITE_P(Exports, ExportsIntoPostgres,
                         ::testing::Combine(::testing::ValuesIn(kExports), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_odbc" : "_libpq");
                         });

// What some of the exports come to without the keys that read them (others kept), as the program
// always read them: the faults those keys mend, and a sign that an empty key changes nothing.
struct Unread {
  const char* name;
  std::size_t exportAt;  // in kExports
  std::string keys;      // kept
  Lines rows;
  std::string summary;  // the beginning of the run's summary
};

const Unread kUnread[] = {
    {"german_stores_nothing_and_is_archived",
     0,
     "",
     {},
     "Run done: 1 files, 0 readings stored, 4 rows skipped"},
    {"quoted_fields_are_skipped",
     1,
     "",
     {},
     "Run done: 1 files, 0 readings stored, 5 rows skipped"},
    {"numeric_date_in_the_c_locale_is_month_first",
     4,
     "",
     {"2024-07-03 10:00:00|T1|1"},
     "Run done: 1 files, 1 readings stored, 1 rows skipped"},
    {"time_column_is_dropped",
     3,
     "COLTAG=3|COLVALUE=4",
     {"2024-07-03 00:00:00|T1|1", "2024-07-03 00:00:00|T1|2"},
     "Run done: 1 files, 2 readings stored, 0 rows skipped"},
    {"wide_file_stores_a_value_as_the_tag",
     9,
     "HEADERROWS=2",
     {"2024-03-07 10:01:00|2|3"},
     "Run done: 1 files, 1 readings stored, 1 rows skipped"},
};

class ExportsWithoutTheirKeys : public ImportRunTest,
                                public ::testing::WithParamInterface<Unread> {};

TEST_P(ExportsWithoutTheirKeys, ReadAsAlways) {
  // The month-first order is the one of a service without LANG.
  if (dateOrderName(Settings{}) != "MDY") GTEST_SKIP() << "the system reads day first";
  const Unread& c = GetParam();
  const Export& e = kExports[c.exportAt];
  setFields(settings, c.keys, test.folder.path());
  settings.archive = true;
  writeCsv(e.file, e.text);

  EXPECT_EQ(runImport(), RunEnd::Normal);
  EXPECT_EQ(queryRows(databaseFile, "SELECT DateTime, Tag, printf('%.15g', Value) FROM CSVDATA"),
            c.rows);
  EXPECT_TRUE(startsWith(run.summary(), c.summary)) << run.summary();
  EXPECT_FALSE(inSource(e.file));
}

INSTANTIATE_TEST_SUITE_P(Faults, ExportsWithoutTheirKeys, ::testing::ValuesIn(kUnread),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
