#include <string>
#include <vector>

#include "cli/completion_words.h"

namespace wb {
namespace {

// Text inside a single-quoted zsh word; in brackets (an _arguments
// description) also with its brackets escaped.
std::string zshQuoted(const std::string& text, bool inBrackets = false) {
    std::string out;
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else if (inBrackets && (c == '[' || c == ']' || c == '\\')) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

std::string valueSpec(const ArgumentWords& argument) {
    std::string pattern = ":" + zshQuoted(argument.label) + ":";
    switch (argument.kind) {
        case ArgumentKind::File: return pattern + "_files";
        case ArgumentKind::Directory: return pattern + "_files -/";
        case ArgumentKind::Port: return pattern + "_wrenbolt_port_names";
        case ArgumentKind::Choice: return pattern + "(" + joinedWords(argument.choices) + ")";
        case ArgumentKind::Text: return pattern + " ";
        case ArgumentKind::None: break;
    }
    return "";
}

// One _arguments pattern per name: '(-o --output)--output=[The file]:output:_files'.
std::string optionSpecs(const ArgumentWords& option) {
    std::string exclusions;
    if (option.names.size() > 1 && !option.repeats) {
        for (const std::string& name : option.names) exclusions += (exclusions.empty() ? "" : " ") + name;
        exclusions = "(" + exclusions + ")";
    }
    std::string text;
    for (const std::string& name : option.names) {
        const bool isLong = name.size() > 2 && name[1] == '-';
        std::string pattern = (option.repeats ? "*" : "") + exclusions + name;
        if (option.kind != ArgumentKind::None) pattern += isLong ? "=" : "+";
        pattern += "[" + zshQuoted(option.description, true) + "]" + valueSpec(option);
        text += " \\\n        '" + pattern + "'";
    }
    return text;
}

std::string commandFunction(const CommandWords& command) {
    std::string text = "_wrenbolt_command_" + pathIdentifier(command.path) + "() {\n";
    if (!command.subcommands.empty()) text += "    local curcontext=\"$curcontext\" state state_descr line\n    typeset -A opt_args\n";
    text += "    _arguments -s -S";
    if (!command.subcommands.empty()) text += " -C";
    for (const ArgumentWords& option : command.options) text += optionSpecs(option);
    for (std::size_t i = 0; i < command.positionals.size(); ++i) {
        const ArgumentWords& positional = command.positionals[i];
        text += " \\\n        '" + std::to_string(i + 1) + valueSpec(positional) + "'";
    }
    if (command.subcommands.empty()) return text + "\n}\n";
    text += " \\\n        ': :->command' \\\n        '*:: :->argument'\n"
            "    case $state in\n"
            "    command)\n"
            "        local -a commands=(\n";
    for (const SubcommandWords& sub : command.subcommands) {
        text += "            '" + zshQuoted(sub.name) + ":" + zshQuoted(sub.description) + "'\n";
    }
    text += "        )\n"
            "        _describe -t commands command commands ;;\n"
            "    argument)\n"
            "        case $line[1] in\n";
    for (const SubcommandWords& sub : command.subcommands) {
        const std::string next = command.path.empty() ? sub.name : command.path + " " + sub.name;
        text += "        " + sub.name + ") _wrenbolt_command_" + pathIdentifier(next) + " ;;\n";
    }
    return text + "        esac ;;\n    esac\n}\n";
}

}  // namespace

std::string zshCompletionScript(const std::vector<CommandWords>& commands) {
    // Loaded from fpath the file is the completion function itself, run on
    // the first Tab; sourced, it registers the function with compdef.
    std::string text = "#compdef wrenbolt\n"
                       "# zsh completion for wrenbolt: save it as _wrenbolt in a folder of $fpath, or source it.\n"
                       "\n"
                       "# The ports the tool finds, and its simulated ones.\n"
                       "_wrenbolt_port_names() {\n"
                       "    local -a ports\n"
                       "    ports=(${(f)\"$(_call_program ports ${(q)wrenbolt_program} ports --names 2>/dev/null)\"})\n"
                       "    _wanted ports expl port compadd -a ports\n"
                       "}\n\n";
    for (const CommandWords& command : commands) text += commandFunction(command) + "\n";
    text += "_wrenbolt() {\n"
            "    local wrenbolt_program=${words[1]}\n"
            "    _wrenbolt_command_\n"
            "}\n"
            "\n"
            "if [[ $funcstack[1] == _wrenbolt ]]; then\n"
            "    _wrenbolt \"$@\"\n"
            "else\n"
            "    compdef _wrenbolt wrenbolt\n"
            "fi\n";
    return text;
}

}  // namespace wb
