#pragma once

#include <map>
#include <string>
#include <string_view>

#include "plan/hunt_plan.h"

namespace wb {

// A beacon's last row in a run's or an audit's report.
struct SheetMark {
    std::string time;
    std::string result;  // a run's status, an audit's result
};

struct SheetSource {
    std::string planFileName;  // as the organiser knows it: hunt.json
    std::string planSha256;    // of the plan file's bytes
    std::map<std::string, SheetMark> marks;  // by the plan's name
};

// The last row of each name in a report of either kind (time in the first
// column, the name in the second, the status or result in the fourth).
// The header, short rows and an audit's strangers are skipped.
std::map<std::string, SheetMark> sheetMarks(std::string_view reportCsv);

// The hunt sheet: one self-contained HTML page (no script, no external
// resource) laid out for one landscape A4 or Letter page. The plan's file
// name and digest, its model, then one column per beacon with every value
// its layout stores as the plan check shows it, the report's last result
// when given, and boxes to tick "programmed" and "checked" by hand.
std::string huntSheetHtml(const HuntPlan& plan, const SheetSource& source);

}  // namespace wb
