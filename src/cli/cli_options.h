#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "config/config_image.h"
#include "config/device_config.h"
#include "config/outcome.h"

namespace wb {

// --model NAME (a model table name), required. Resolve the stored name with modelFromName.
CLI::Option* addModelOption(CLI::App& command, std::string& model);

// The text of an input file (a --config record, a plan); throws UsageError
// naming `role` and the path when it cannot be read, is not a regular file
// or is larger than 1 MiB.
std::string readInputText(const std::string& path, const std::string& role);

// The image of a .wb1 input file, read as readInputText reads (so a FIFO
// or a device is refused, never waited on): throws UsageError naming `role`
// for what is no regular file of at most 1 MiB; otherwise returns the
// load's outcome (FileLoaded, FailedToOpenFile, InvalidFileFormat, ...).
Outcome readImageInput(const std::string& path, const std::string& role, ConfigImage& image);

// The .wb1 file that write and verify take (`path` empty: none), read as
// readImageInput reads. False, with the load's text and the path on `err`,
// when it will not load.
bool readImageArgument(const std::string& path, std::ostream& err, std::optional<ConfigImage>& image);

// --json, for the commands that print a record.
CLI::Option* addJsonFlag(CLI::App& command, bool& json);
// The table, or one JSON object.
std::string recordText(const DeviceConfig& config, bool json);

}  // namespace wb
