// The per-row path of an import (date recognition, UTC lookup, numeric test, tag, the
// recordset's fields) must not allocate: with millions of rows a heap call per row is the
// difference between keeping up with a bulk loader and not. Every allocation of this test
// binary is counted, and a file three times as long must not cost more than a few more
// allocations.

#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "dbaccess/connection.h"
#include "import/csv_rows.h"
#include "import/tests/run_fixture.h"
#include "import/utc_offsets.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace csv2sql::testing {
namespace {

std::string readings(int rows) {
  std::string text = "Stamp,Tag,Value\r\n";
  for (int row = 0; row < rows; ++row) {
    const int second = row % 60, minute = row / 60 % 60, hour = row / 3600 % 24;
    char line[96];
    std::snprintf(line, sizeof line, "2024-07-01T%02d:%02d:%02dZ,TAG%02d,%d.%03d\r\n", hour, minute,
                  second, row % 50, row, row % 1000);
    text += line;
  }
  return text;
}

class AllocationTest : public ImportRunTest {
 protected:
  AllocationTest() {
    std::vector<Lines> periods;
    for (int year = 2005; year < 2025; ++year) {
      const std::string y = std::to_string(year);
      periods.push_back({y + "-01-01 00:00:00", y + "-12-31 23:59:59", "-4.5"});
    }
    settings.utc = utcRows(periods);
  }

  // Allocations made while one file's rows are imported, inside one transaction.
  long importCost(int rows, const FileLayout& layout = {}) {
    writeCsv("f.csv", readings(rows));
    destination.connect(readConnectPlan(settings));
    db::Connection& connection = destination.cnnDest();
    const auto recordset = connection.OpenRecordset(db::TableName::check("CSVDATA"));
    const UtcOffsetTable utc(settings.utc);
    db::Transaction transaction(connection);
    const long before = allocations;
    FileLines lines(sourceFolder / "f.csv");
    importRows(lines, {1, rows + 1}, layout, &utc, *recordset, log);
    const long cost = allocations - before;
    transaction.commit();
    return cost;
  }
};

TEST_F(AllocationTest, RowsCostNoAllocationEach) {
  const long small = importCost(1000);
  const long large = importCost(3000);
  EXPECT_EQ(tableRows().size(), 4000u);
  EXPECT_LT(large - small, 100) << "small file: " << small << ", large file: " << large;
}

// The path of the other layouts keeps its buffers from row to row too.
TEST_F(AllocationTest, RowsReadWithQuotesAndADateFormatCostNoAllocationEach) {
  FileLayout layout;
  layout.quotes = true;
  layout.dateFormat = DateFormat::read("ISO");
  const long small = importCost(1000, layout);
  const long large = importCost(3000, layout);
  EXPECT_EQ(tableRows().size(), 4000u);
  EXPECT_LT(large - small, 100) << "small file: " << small << ", large file: " << large;
}

}  // namespace
}  // namespace csv2sql::testing
