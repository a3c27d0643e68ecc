#include <string>
#include <vector>

#include "cli/completion_words.h"

namespace wb {
namespace {

// A single-quoted fish word.
std::string fishQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

// The flags of `complete` for what a value is.
std::string valueFlags(const ArgumentWords& argument) {
    switch (argument.kind) {
        case ArgumentKind::File: return " -r -F";
        case ArgumentKind::Directory: return " -x -a '(__fish_complete_directories)'";
        case ArgumentKind::Port: return " -x -a '(__wrenbolt_ports)'";
        case ArgumentKind::Choice: return " -x -a " + fishQuoted(joinedWords(argument.choices));
        case ArgumentKind::Text: return " -x";
        case ArgumentKind::None: break;
    }
    return "";
}

std::string when(const std::string& path, const std::string& state) {
    return " -n \"__wrenbolt_at " + fishQuoted(path) + " " + fishQuoted(state) + "\"";
}

}  // namespace

std::string fishCompletionScript(const std::vector<CommandWords>& commands) {
    std::string steps;
    std::string optionValues;
    std::string filePositionals;
    std::string entries;
    for (const CommandWords& command : commands) {
        for (const SubcommandWords& sub : command.subcommands) {
            const std::string next = command.path.empty() ? sub.name : command.path + " " + sub.name;
            steps += "        case " + fishQuoted(command.path + "/" + sub.name) + "\n            set path " + fishQuoted(next) +
                     "\n            set n 0\n";
            entries += "complete -c wrenbolt" + when(command.path, "*") + " -f -a " + fishQuoted(sub.name) + " -d " +
                       fishQuoted(sub.description) + "\n";
        }
        for (const ArgumentWords& option : command.options) {
            std::string names;
            for (const std::string& name : option.names) {
                const bool isLong = name.size() > 2 && name[1] == '-';
                // Appended piece by piece: MinGW's g++ 12 warns falsely on
                // a literal added to a temporary string.
                names += isLong ? " -l " : " -s ";
                names += name.substr(isLong ? 2 : 1);
                if (option.kind != ArgumentKind::None) {
                    optionValues += ' ';
                    optionValues += fishQuoted(command.path + "/" + name);
                }
            }
            entries += "complete -c wrenbolt" + when(command.path, "*") + names + " -d " + fishQuoted(option.description) +
                       valueFlags(option) + "\n";
        }
        for (std::size_t i = 0; i < command.positionals.size(); ++i) {
            const ArgumentWords& positional = command.positionals[i];
            const std::string at = when(command.path, std::to_string(i) + "/*");
            if (positional.kind == ArgumentKind::File) {
                filePositionals += " " + fishQuoted(command.path + "/" + std::to_string(i));
                entries += "complete -c wrenbolt" + at + " -F -d " + fishQuoted(positional.description) + "\n";
            } else if (positional.kind != ArgumentKind::Text) {
                std::string flags = valueFlags(positional);
                entries += "complete -c wrenbolt" + at + flags.replace(0, 3, " -f") + "\n";
            }
        }
        // Files only where the command takes one.
        entries += "complete -c wrenbolt" + when(command.path, "*/none") + " -f\n";
    }
    // The words before the cursor as the tool takes them: command names lead
    // from one path to the next, an option with a value takes the word after
    // it, the others are positional arguments. Printed as
    // "path/positionals before the cursor/what the cursor's word is".
    return "# fish completion for wrenbolt: source it, or save it as wrenbolt.fish in fish's completions folder.\n"
           "function __wrenbolt_state\n"
           "    set -l path ''\n"
           "    set -l n 0\n"
           "    set -l value 0\n"
           "    for word in (commandline -opc)[2..-1]\n"
           "        if test $value -eq 1\n"
           "            set value 0\n"
           "            continue\n"
           "        end\n"
           "        switch \"$path/$word\"\n" +
           steps +
           "        case" + optionValues + "\n"
           "            set value 1\n"
           "        case '*/-*'\n"
           "        case '*'\n"
           "            set n (math $n + 1)\n"
           "        end\n"
           "    end\n"
           "    if test $value -eq 1\n"
           "        echo \"$path/$n/value\"\n"
           "        return\n"
           "    end\n"
           "    switch \"$path/$n\"\n"
           "    case" + filePositionals + "\n"
           "        echo \"$path/$n/file\"\n"
           "    case '*'\n"
           "        echo \"$path/$n/none\"\n"
           "    end\n"
           "end\n"
           "\n"
           "function __wrenbolt_at\n"
           "    string match -q -- \"$argv[1]/$argv[2]\" (__wrenbolt_state)\n"
           "end\n"
           "\n"
           "# The ports the tool finds, and its simulated ones.\n"
           "function __wrenbolt_ports\n"
           "    set -l program (commandline -opc)[1]\n"
           "    $program ports --names 2>/dev/null\n"
           "end\n"
           "\n" +
           entries;
}

}  // namespace wb
