#include <memory>
#include <string>

#include "cli/cli_commands.h"
#include "cli/completion_words.h"

namespace wb {

void addCompletionCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("completion", "Print a completion script for bash, zsh or fish");
    auto shell = std::make_shared<std::string>();
    command->add_option("shell", *shell, "bash, zsh or fish")->required()->check(CLI::IsMember(kCompletionShells));
    command->callback([&app, &context, shell] {
        const auto commands = collectCommandWords(app);
        if (*shell == "fish") {
            context.out << fishCompletionScript(commands);
        } else if (*shell == "zsh") {
            context.out << zshCompletionScript(commands);
        } else {
            context.out << bashCompletionScript(commands);
        }
    });
}

}  // namespace wb
