#pragma once

#include <nlohmann/json.hpp>

#include "config/record_json.h"  // modelsJson: the model table for the page

namespace wb {

// What the page shows or sends that is the core's to say, as JSON for the
// page: the beacons' serial line in Web Serial's terms, the file names the
// page offers (the models come from the model table's modelsJson).
nlohmann::ordered_json lineSettingsJson();
nlohmann::ordered_json fileNamesJson();

// How the page shows a check box's value in its lists and tables: as the
// core's sheet and audit show a flag.
nlohmann::ordered_json flagTextsJson();

// The numbers the page compares what the module returns with, by name:
// {"events":{"showForm":1,..},"planResults":{"ready":0,..}}, so that the page
// writes none of them.
nlohmann::ordered_json pageEnumsJson();

// The form the page builds: each field the form shows, as the field table
// has it with its control's identifier ("id"), and the boxes they sit in,
// [{"title":..,"keys":[..]}].
nlohmann::ordered_json formFieldsJson();
nlohmann::ordered_json formGroupsJson();

}  // namespace wb
