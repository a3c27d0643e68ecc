#include <map>
#include <string>
#include <vector>

#include "cli/completion_words.h"

namespace wb {
namespace {

// What the function does for a value of this kind: sets `kind` and, for a
// fixed list, `choices`.
std::string valueAction(const ArgumentWords& argument) {
    switch (argument.kind) {
        case ArgumentKind::File: return "kind=\"file\"";
        case ArgumentKind::Directory: return "kind=\"directory\"";
        case ArgumentKind::Port: return "kind=\"port\"";
        case ArgumentKind::Choice: return "kind=\"choice\" choices=\"" + joinedWords(argument.choices) + "\"";
        case ArgumentKind::Text:
        case ArgumentKind::None: break;
    }
    return "kind=\"text\"";
}

// Case patterns, one arm for each action: "read/--port" | "write/--port").
std::string arms(const std::map<std::string, std::vector<std::string>>& patternsByAction, const std::string& tail,
                 const std::string& indent = "        ") {
    std::string text;
    for (const auto& [action, patterns] : patternsByAction) {
        std::string line;
        for (const std::string& pattern : patterns) line += (line.empty() ? "" : " | ") + ("\"" + pattern + "\"");
        text += indent + line + ") " + action + tail + " ;;\n";
    }
    return text;
}

}  // namespace

std::string bashCompletionScript(const std::vector<CommandWords>& commands) {
    std::string steps;
    std::map<std::string, std::vector<std::string>> optionValues;
    std::map<std::string, std::vector<std::string>> positionalValues;
    std::string offers;
    for (const CommandWords& command : commands) {
        std::vector<std::string> subcommands;
        std::vector<std::string> options;
        for (const SubcommandWords& sub : command.subcommands) {
            const std::string next = command.path.empty() ? sub.name : command.path + " " + sub.name;
            steps += "        \"" + command.path + "/" + sub.name + "\") path=\"" + next + "\" n=0 ;;\n";
            subcommands.push_back(sub.name);
        }
        for (const ArgumentWords& option : command.options) {
            for (const std::string& name : option.names) {
                options.push_back(name);
                if (option.kind != ArgumentKind::None) optionValues[valueAction(option)].push_back(command.path + "/" + name);
            }
        }
        for (std::size_t i = 0; i < command.positionals.size(); ++i) {
            positionalValues[valueAction(command.positionals[i])].push_back(command.path + "/" + std::to_string(i));
        }
        offers += "        \"" + command.path + "\") choices=\"" + joinedWords(subcommands) + "\" options=\"" +
                  joinedWords(options) + "\" ;;\n";
    }
    // The words before the cursor are taken as the tool takes them: command
    // names lead from one path to the next, an option with a value takes the
    // word after it, and the others are positional arguments. The line is
    // split at blanks only, so that "sim:basic" and "--port=sim:basic" stay
    // one word (readline splits them at the colon and the equals sign).
    return "# bash completion for wrenbolt: source it, or put it in bash-completion's folder.\n"
           "# shellcheck shell=bash\n"
           "_wrenbolt() {\n"
           "    local line=\"${COMP_LINE:0:COMP_POINT}\" cur path=\"\" word kind=\"\" choices=\"\" options=\"\" n=0 i last\n"
           "    local -a words\n"
           "    read -ra words <<<\"$line\"\n"
           "    if [[ ${#words[@]} -eq 0 || \"$line\" == *[[:space:]] ]]; then words+=(\"\"); fi\n"
           "    last=$((${#words[@]} - 1))\n"
           "    cur=\"${words[last]}\"\n"
           "    for ((i = 1; i < last; i++)); do\n"
           "        word=\"${words[i]}\" kind=\"\"\n"
           "        case \"$path/$word\" in\n" +
           steps +
           arms(optionValues, "; ((i++))") +
           "        */-*) ;;\n"
           "        *) ((n++)) ;;\n"
           "        esac\n"
           "    done\n"
           "    # Past the end, the cursor is on the value of the option before it.\n"
           "    if ((i <= last)); then\n"
           "        kind=\"\"\n"
           "        if [[ \"$cur\" == --*=* ]]; then\n"
           "            word=\"${cur%%=*}\" cur=\"${cur#*=}\"\n"
           "            case \"$path/$word\" in\n" +
           arms(optionValues, "", "            ") +
           "            esac\n"
           "        elif [[ \"$cur\" != -* ]]; then\n"
           "            case \"$path/$n\" in\n" +
           arms(positionalValues, "", "            ") +
           "            esac\n"
           "        fi\n"
           "    fi\n"
           "    case \"$kind\" in\n"
           "    file) compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -f -- \"$cur\"); return ;;\n"
           "    directory) compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -d -- \"$cur\"); return ;;\n"
           "    text) COMPREPLY=(); return ;;\n"
           "    port) choices=\"$(\"${words[0]}\" ports --names 2>/dev/null)\" ;;\n"
           "    choice) ;;\n"
           "    *)\n"
           "        case \"$path\" in\n" +
           offers +
           "        esac\n"
           "        # Options where the word begins with a dash or no command follows.\n"
           "        if [[ \"$cur\" == -* || -z \"$choices\" ]]; then choices=\"$options\"; fi\n"
           "        ;;\n"
           "    esac\n"
           "    mapfile -t COMPREPLY < <(compgen -W \"$choices\" -- \"$cur\")\n"
           "    # readline replaces only what follows the last colon of the word.\n"
           "    if [[ \"$cur\" == *:* && \"$COMP_WORDBREAKS\" == *:* ]]; then\n"
           "        COMPREPLY=(\"${COMPREPLY[@]#\"${cur%\"${cur##*:}\"}\"}\")\n"
           "    fi\n"
           "}\n"
           "complete -F _wrenbolt wrenbolt\n";
}

}  // namespace wb
