#include "cli/completion_words.h"

#include <algorithm>
#include <cctype>

#include "image/model_table.h"

namespace wb {
namespace {

// What a value is, by the name of its option or argument.
ArgumentKind kindOf(const std::string& label) {
    if (label == "port") return ArgumentKind::Port;
    if (label == "model" || label == "shell") return ArgumentKind::Choice;
    if (label == "set") return ArgumentKind::Text;
    if (label == "backup-dir") return ArgumentKind::Directory;
    return ArgumentKind::File;  // FILE, plan, --config, --output, --report, --trace, ...
}

ArgumentWords argumentWords(const CLI::Option& option) {
    ArgumentWords words;
    for (const std::string& name : option.get_lnames()) words.names.push_back("--" + name);
    for (const std::string& name : option.get_snames()) words.names.push_back("-" + name);
    words.label = option.nonpositional() ? option.get_single_name() : option.get_name(true);
    std::transform(words.label.begin(), words.label.end(), words.label.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    words.description = option.get_description();
    words.repeats = option.get_expected_max() > 1;
    if (option.get_expected_max() == 0) return words;  // a flag
    words.kind = kindOf(words.label);
    if (words.label == "model") words.choices = modelNames();
    if (words.label == "shell") words.choices = kCompletionShells;
    return words;
}

void collect(const CLI::App& command, const std::string& path, std::vector<CommandWords>& all) {
    CommandWords words;
    words.path = path;
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_group().empty()) continue;  // hidden
        (option->nonpositional() ? words.options : words.positionals).push_back(argumentWords(*option));
    }
    const auto subcommands = command.get_subcommands([](const CLI::App* sub) { return !sub->get_group().empty(); });
    for (const CLI::App* sub : subcommands) words.subcommands.push_back({sub->get_name(), sub->get_description()});
    all.push_back(words);
    for (const CLI::App* sub : subcommands) {
        collect(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), all);
    }
}

}  // namespace

std::vector<CommandWords> collectCommandWords(const CLI::App& app) {
    std::vector<CommandWords> all;
    collect(app, "", all);
    return all;
}

std::string joinedWords(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string pathIdentifier(const std::string& path) {
    std::string name = path;
    for (char& c : name) {
        if (c == ' ' || c == '-') c = '_';
    }
    return name;
}

}  // namespace wb
