#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/odbc_handle.h"
#include "dbaccess/odbc_parameters.h"

namespace csv2sql::db::odbc {

// Runs a statement without parameters and works through all its results, so that an error of
// any statement in a batch surfaces; the rows of the first result go to `rows` when given.
void executeDirect(const Handle& statement, std::string_view sql, TextRows* rows = nullptr);

// Prepares the statement, binds the slice's rows as parameter arrays and runs it once for all
// of them. A count of values other than the statement's markers, a row the driver refuses, or
// one it leaves unprocessed fails the call. The rows of the first result go to `result` when
// given.
void executePrepared(const Handle& statement, std::string_view sql, ParameterRows& rows,
                     const ParameterSlice& slice, TextRows* result = nullptr);

// The two halves of executePrepared, for a statement run again with other values: the prepare
// with its count of markers, and the run with the slice's rows.
void prepareChecked(const Handle& statement, std::string_view sql, std::size_t values);
void executeBound(const Handle& statement, ParameterRows& rows, const ParameterSlice& slice,
                  TextRows* result = nullptr);

// The column names of a query's result, read after preparing it where the driver can tell
// them then, else after running it (the caller's query selects no rows).
std::vector<std::string> describeColumns(const Handle& statement, std::string_view sql);

}  // namespace csv2sql::db::odbc
