#pragma once

#include <libpq-fe.h>

namespace csv2sql::db::pg {

// The libpq functions the driver calls, found when the first PostgreSQL session opens rather
// than when the program starts: loading libpq (and Kerberos, LDAP and TLS beneath it) costs
// every start some 12 ms, and a program that never talks to PostgreSQL runs without it.
#define CSV2SQL_LIBPQ_FUNCTIONS(X) \
  X(PQcancel)                      \
  X(PQclear)                       \
  X(PQconnectPoll)                 \
  X(PQconnectStartParams)          \
  X(PQconsumeInput)                \
  X(PQerrorMessage)                \
  X(PQfinish)                      \
  X(PQflush)                       \
  X(PQfname)                       \
  X(PQfreeCancel)                  \
  X(PQftype)                       \
  X(PQgetCancel)                   \
  X(PQgetResult)                   \
  X(PQgetvalue)                    \
  X(PQisBusy)                      \
  X(PQnfields)                     \
  X(PQntuples)                     \
  X(PQparameterStatus)             \
  X(PQputCopyData)                 \
  X(PQputCopyEnd)                  \
  X(PQresultErrorField)            \
  X(PQresultErrorMessage)          \
  X(PQresultStatus)                \
  X(PQsendDescribePrepared)        \
  X(PQsendPrepare)                 \
  X(PQsendQuery)                   \
  X(PQsendQueryParams)             \
  X(PQsetErrorVerbosity)           \
  X(PQsetNoticeProcessor)          \
  X(PQsetnonblocking)              \
  X(PQsocket)                      \
  X(PQstatus)                      \
  X(PQtransactionStatus)

struct LibPq {
#define CSV2SQL_LIBPQ_MEMBER(name) decltype(&::name) name;
  CSV2SQL_LIBPQ_FUNCTIONS(CSV2SQL_LIBPQ_MEMBER)
#undef CSV2SQL_LIBPQ_MEMBER
};

// Opens libpq on the first call; error 3706 naming the library and the reason when it cannot
// be opened or lacks a function.
const LibPq& libpq();

}  // namespace csv2sql::db::pg
