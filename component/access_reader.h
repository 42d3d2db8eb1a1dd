// The component's Access methods, read with libmdb. Paths, table names and answers
// are Windows-1252; a failure throws Failure with a French text. libmdb may crash or
// loop on a damaged file, so the component runs these in a child process
// (isolated_run.h), never in the calling program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pythrolvane {

// catalogueTables: the user tables of the file (no system tables), joined by "|".
std::string accessTables(const std::string& path);

// catalogueChamps: the columns of `table` in their order, joined by "|".
std::string accessColumns(const std::string& path, const std::string& table);

// lectureChamps: every row of `table`, the columns chosen by `positions` in that
// order joined by ";", each row ended by CR LF. An empty choice gives an empty text.
std::string accessRows(const std::string& path, const std::string& table,
                       const std::string& positions);

// The zero-based column numbers of a choice such as " 0 2 1" (numbers separated by
// blanks; a number may come twice). Throws Failure on anything else.
std::vector<size_t> parsePositions(std::string_view positions);

// A value made safe for one field of a ";"-separated line: ";", CR and LF become
// blanks, so a value can neither split its row nor add a line.
std::string fieldSafe(std::string value);

} // namespace pythrolvane
