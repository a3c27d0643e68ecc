#include <memory>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/usage_error.h"

namespace wb {
namespace {

// One command of the tool as the shells see it: the words that lead to it
// ("plan run"), its subcommands and its options ("--port", "-q").
struct CommandWords {
    std::string path;
    std::vector<std::string> subcommands;
    std::vector<std::string> options;
    std::string description;
};

void collect(const CLI::App& command, const std::string& path, std::vector<CommandWords>& all) {
    CommandWords words;
    words.path = path;
    words.description = command.get_description();
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames()) words.options.push_back("--" + name);
        for (const std::string& name : option->get_snames()) words.options.push_back("-" + name);
    }
    const auto subcommands = command.get_subcommands([](const CLI::App*) { return true; });
    for (const CLI::App* sub : subcommands) words.subcommands.push_back(sub->get_name());
    all.push_back(words);
    for (const CLI::App* sub : subcommands) {
        collect(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), all);
    }
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string bashScript(const std::vector<CommandWords>& all) {
    std::string steps;
    std::string cases;
    for (const CommandWords& command : all) {
        for (const std::string& sub : command.subcommands) {
            const std::string next = command.path.empty() ? sub : command.path + " " + sub;
            steps += "        \"" + command.path + "/" + sub + "\") path=\"" + next + "\" ;;\n";
        }
        cases += "    \"" + command.path + "\") words=\"" + joined(command.subcommands) +
                 (command.subcommands.empty() ? "" : " ") + joined(command.options) + "\" ;;\n";
    }
    // The words before the cursor that name commands lead from one path to
    // the next; options and their values leave it as it is.
    return "# bash completion for wrenbolt: source it, or put it in bash-completion's folder.\n"
           "_wrenbolt() {\n"
           "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" path=\"\" word words i\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        word=\"${COMP_WORDS[i]}\"\n"
           "        case \"$path/$word\" in\n" +
           steps +
           "        esac\n"
           "    done\n"
           "    case \"$path\" in\n" +
           cases +
           "    *) words=\"\" ;;\n"
           "    esac\n"
           "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
           "}\n"
           "complete -o default -F _wrenbolt wrenbolt\n";
}

std::string fishScript(const std::vector<CommandWords>& all) {
    std::string text = "# fish completion for wrenbolt: source it, or save it as wrenbolt.fish in fish's completions folder.\n"
                       "complete -c wrenbolt -f\n";
    for (const CommandWords& command : all) {
        const std::string last = command.path.substr(command.path.rfind(' ') + 1);
        const std::string when = command.path.empty() ? "__fish_use_subcommand"
                                                      : "__fish_seen_subcommand_from " + last;
        for (const std::string& sub : command.subcommands) {
            text += "complete -c wrenbolt -n '" + when + "' -a " + sub + "\n";
        }
        for (const std::string& option : command.options) {
            const bool isLong = option.size() > 2 && option[1] == '-';
            text += "complete -c wrenbolt -n '" + when + "' " + (isLong ? "-l " + option.substr(2) : "-s " + option.substr(1)) +
                    " -F\n";
        }
    }
    return text;
}

}  // namespace

void addCompletionCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("completion", "Print a completion script for bash, zsh or fish");
    auto shell = std::make_shared<std::string>();
    command->add_option("shell", *shell, "bash, zsh or fish")->required()->check(CLI::IsMember({"bash", "zsh", "fish"}));
    command->callback([&app, &context, shell] {
        std::vector<CommandWords> all;
        collect(app, "", all);
        if (*shell == "fish") {
            context.out << fishScript(all);
        } else if (*shell == "zsh") {
            context.out << "#compdef wrenbolt\n# zsh runs the bash completion through bashcompinit.\n"
                           "autoload -U +X bashcompinit && bashcompinit\n"
                        << bashScript(all);
        } else {
            context.out << bashScript(all);
        }
    });
}

}  // namespace wb
