#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace wb {

// What an option's value or a positional argument is, for the shells to
// complete: None is a flag, which takes no value.
enum class ArgumentKind { None, Text, File, Directory, Port, Choice };

struct ArgumentWords {
    std::vector<std::string> names;  // "--output", "-o"; empty for a positional
    std::string label;               // "output", "plan": what the value is called
    std::string description;
    ArgumentKind kind = ArgumentKind::None;
    std::vector<std::string> choices;  // for Choice
    bool repeats = false;              // may be given more than once
};

struct SubcommandWords {
    std::string name;
    std::string description;
};

// One command of the tool as the shells see it: the words that lead to it
// ("plan run"; empty for the tool itself), its subcommands, its options and
// its positional arguments in order.
struct CommandWords {
    std::string path;
    std::vector<SubcommandWords> subcommands;
    std::vector<ArgumentWords> options;
    std::vector<ArgumentWords> positionals;
};

// The shells the completion command writes for.
inline const std::vector<std::string> kCompletionShells{"bash", "zsh", "fish"};

// Every visible command under `app`, the tool itself first, each before its
// subcommands.
std::vector<CommandWords> collectCommandWords(const CLI::App& app);

// The scripts, each for the shell's own completion system. They ask the
// tool itself (`ports --names`) for the port names when completing.
std::string bashCompletionScript(const std::vector<CommandWords>& commands);
std::string zshCompletionScript(const std::vector<CommandWords>& commands);
std::string fishCompletionScript(const std::vector<CommandWords>& commands);

// The words with one space between them.
std::string joinedWords(const std::vector<std::string>& words);

// "plan run" -> "plan_run": a name part for shell functions.
std::string pathIdentifier(const std::string& path);

}  // namespace wb
