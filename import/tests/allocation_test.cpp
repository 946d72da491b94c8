// The per-row path of an import (date recognition, UTC lookup, numeric test, tag, the
// recordset's fields) must not allocate: with millions of rows a heap call per row is the
// difference between keeping up with a bulk loader and not. Every allocation of this test
// binary is counted, and a file three times as long must not cost more than a few more
// allocations (the loaded file's index grows by doubling).

#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "components/db/connection.h"
#include "import/csv_rows.h"
#include "import/tests/run_fixture.h"
#include "import/text_encoding.h"
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
    for (int period = 0; period < 20; ++period) {
      const std::string year = std::to_string(2005 + period);
      setUtcTable({});
      form().spUTC.setCell(period + 1, 1, year + "-01-01 00:00:00");
      form().spUTC.setCell(period + 1, 2, year + "-12-31 23:59:59");
      form().spUTC.setCell(period + 1, 3, "-4.5");
    }
  }

  // Allocations made while one file's rows are imported, inside one transaction.
  long importCost(int rows) {
    writeCsv("f.csv", readings(rows));
    destination.connect(readConnectPlan(session.frmMain));
    db::Connection& connection = destination.cnnDest();
    const auto recordset = connection.OpenRecordset(db::TableName::check("CSVDATA"));
    const UtcOffsetTable utc(form().spUTC);
    db::Transaction transaction(connection);
    const long before = allocations;
    loadFileRows(form().sp, sourceFolder / "f.csv");
    importRows(form().sp, {1, form().sp.rowCount()}, FileLayout{}, &utc, *recordset, log);
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

TEST_F(AllocationTest, UtcLookupAndUtf8TagAllocateNothing) {
  const UtcOffsetTable utc(form().spUTC);
  std::string buffer;
  const long before = allocations;
  const DateTime local = utc.UtcToLocal(DateTime::fromParts(2024, 7, 1, 12));
  const std::string_view tag = asUtf8(
      "TT1 \xC2\xB0"
      "C",
      buffer);
  EXPECT_EQ(allocations - before, 0);
  EXPECT_EQ(local, DateTime::fromParts(2024, 7, 1, 7, 30));
  EXPECT_EQ(tag.size(), 7u);
}

}  // namespace
}  // namespace csv2sql::testing
