/* The floor an import into SQLite is measured against: what a short C program does with the
 * same readings and nothing else. bare_sqlite_loader DATABASE FILE TABLE reads FILE (one header
 * line, then "stamp,tag,value" lines), turns each ISO stamp into "YYYY-MM-DD HH:MM:SS" ("T" to a
 * blank, "Z" dropped) and inserts the rows 100 to a prepared statement in one transaction. It
 * checks nothing the program checks (dates, numbers, tags), so it is a lower bound on the work. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kBatchRows = 100, kColumns = 3, kStampMax = 32 };

struct Row {
  char stamp[kStampMax];
  int stampLength;
  char* tag;
  int tagLength;
  double value;
};

static void fail(sqlite3* db, const char* what) {
  fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "");
  exit(1);
}

static sqlite3_stmt* prepareInsert(sqlite3* db, const char* table, int rows) {
  size_t size = 64 + strlen(table) + (size_t)rows * 8;
  char* sql = malloc(size);
  int length = snprintf(sql, size, "INSERT INTO \"%s\" (DateTime,Tag,Value) VALUES ", table);
  for (int i = 0; i < rows; ++i) length += snprintf(sql + length, size - length, "%s(?,?,?)", i ? "," : "");
  sqlite3_stmt* statement = NULL;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, NULL) != SQLITE_OK) fail(db, "prepare");
  free(sql);
  return statement;
}

static void insertRows(sqlite3* db, sqlite3_stmt* statement, const struct Row* rows, int count) {
  for (int i = 0; i < count; ++i) {
    int column = i * kColumns;
    sqlite3_bind_text(statement, column + 1, rows[i].stamp, rows[i].stampLength, SQLITE_STATIC);
    sqlite3_bind_text(statement, column + 2, rows[i].tag, rows[i].tagLength, SQLITE_STATIC);
    sqlite3_bind_double(statement, column + 3, rows[i].value);
  }
  if (sqlite3_step(statement) != SQLITE_DONE) fail(db, "insert");
  sqlite3_reset(statement);
}

/* Splits "stamp,tag,value" into row; 0 for a line without three fields. */
static int readRow(char* line, struct Row* row) {
  char* tag = strchr(line, ',');
  if (!tag) return 0;
  char* value = strchr(tag + 1, ',');
  if (!value) return 0;
  int length = 0;
  for (const char* c = line; c < tag && length < kStampMax; ++c) {
    if (*c != 'Z') row->stamp[length++] = *c == 'T' ? ' ' : *c;
  }
  row->stampLength = length;
  row->tag = tag + 1;
  row->tagLength = (int)(value - tag - 1);
  row->value = strtod(value + 1, NULL);
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: bare_sqlite_loader DATABASE FILE TABLE\n");
    return 2;
  }
  FILE* file = fopen(argv[2], "rb");
  if (!file) {
    perror(argv[2]);
    return 1;
  }
  sqlite3* db = NULL;
  if (sqlite3_open(argv[1], &db) != SQLITE_OK) fail(db, "open");
  if (sqlite3_exec(db, "BEGIN", NULL, NULL, NULL) != SQLITE_OK) fail(db, "begin");
  sqlite3_stmt* full = prepareInsert(db, argv[3], kBatchRows);

  /* Each row's tag points into its own line, so the batch keeps its lines until it is sent. */
  char* lines[kBatchRows] = {0};
  size_t capacities[kBatchRows] = {0};
  struct Row rows[kBatchRows];
  int held = 0;
  char* header = NULL;
  size_t headerCapacity = 0;
  if (getline(&header, &headerCapacity, file) < 0) return 0;
  free(header);
  while (getline(&lines[held], &capacities[held], file) >= 0) {
    if (!readRow(lines[held], &rows[held])) continue;
    if (++held == kBatchRows) {
      insertRows(db, full, rows, held);
      held = 0;
    }
  }
  if (held > 0) {
    sqlite3_stmt* part = prepareInsert(db, argv[3], held);
    insertRows(db, part, rows, held);
    sqlite3_finalize(part);
  }
  sqlite3_finalize(full);
  if (sqlite3_exec(db, "COMMIT", NULL, NULL, NULL) != SQLITE_OK) fail(db, "commit");
  sqlite3_close(db);
  for (int i = 0; i < kBatchRows; ++i) free(lines[i]);
  fclose(file);
  return 0;
}
