#include "cli/cli_options.h"

#include "cli/record_table.h"
#include "cli/usage_error.h"
#include "config/record_json.h"
#include "file/config_file.h"
#include "file/input_file.h"
#include "image/model_table.h"

namespace wb {

CLI::Option* addModelOption(CLI::App& command, std::string& model) {
    return command.add_option("--model", model, "Image layout: " + modelChoicesText(false))
        ->required()
        ->check(CLI::IsMember(modelNames()));
}

std::string readInputText(const std::string& path, const std::string& role) {
    std::string text;
    const InputFileProblem problem = readInputFile(path, text);
    if (problem != InputFileProblem::None) {
        throw UsageError(role + " \"" + path + "\" " + inputFileProblemText(problem));
    }
    return text;
}

Outcome readImageInput(const std::string& path, const std::string& role, ConfigImage& image) {
    std::string bytes;
    const InputFileProblem problem = readInputFile(path, bytes);
    switch (problem) {
    case InputFileProblem::None: return imageFromFileBytes(bytes, image);
    case InputFileProblem::CannotOpen: return Outcome::FailedToOpenFile;
    case InputFileProblem::ReadFailed: return Outcome::FailedToReadData;
    case InputFileProblem::NotRegularFile:
    case InputFileProblem::TooLarge: break;
    }
    throw UsageError(role + " \"" + path + "\" " + inputFileProblemText(problem));
}

bool readImageArgument(const std::string& path, std::ostream& err, std::optional<ConfigImage>& image) {
    image.reset();
    if (path.empty()) return true;
    ConfigImage bytes{};
    const Outcome loaded = readImageInput(path, "The input file", bytes);
    if (loaded != Outcome::FileLoaded) {
        err << fileOutcomeText(loaded) << ": " << path << '\n';
        return false;
    }
    image = bytes;
    return true;
}

CLI::Option* addJsonFlag(CLI::App& command, bool& json) {
    return command.add_flag("--json", json, "Print one JSON object instead of the table");
}

std::string recordText(const DeviceConfig& config, bool json) {
    return json ? recordToJsonText(config) : recordTable(config);
}

}  // namespace wb
