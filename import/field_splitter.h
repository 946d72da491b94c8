#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace csv2sql {

// Splits a record into its fields at `delimiter`. With quotes (RFC 4180) a field that starts
// with '"' runs to its closing quote, "" inside it is one '"', and a delimiter or a line end
// inside it belongs to the field; what follows the closing quote up to the next delimiter is
// kept as it stands. Without quotes every '"' is an ordinary character. The fields view the
// record, or `room` for a field whose quotes were taken out; both must outlive them. Returns
// false when the record ends inside a quoted field: its next line belongs to it. Allocates
// only to grow `room` and `fields`, which the caller keeps from record to record.
bool splitFields(std::string_view record, char delimiter, bool quotes, std::string& room,
                 std::vector<std::string_view>& fields);

}  // namespace csv2sql
