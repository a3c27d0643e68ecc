#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wb {

// One cell of a CSV report: a value that begins with =, +, - or @ gets a
// leading ' so that a spreadsheet does not run it; a cell holding a comma,
// a double quote or a line break is quoted, its quotes doubled.
std::string csvCell(std::string_view value);
// Cells separated by commas, ending in "\n".
std::string csvLine(const std::vector<std::string>& cells);
// The rows of a CSV text, its header included; cells as they
// were before csvCell.
std::vector<std::vector<std::string>> parseCsv(std::string_view text);
// What to append to a report's text so that the next row starts a row of
// its own: "" after a whole row, "\n" after a row cut short, and "\"\n"
// after one cut inside a quoted cell, which would otherwise swallow every
// later row into that cell.
std::string csvRowEnd(std::string_view text);

}  // namespace wb
