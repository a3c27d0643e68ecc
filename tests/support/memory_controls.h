#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/dialog_controls.h"

namespace wb::test {

// The dialog's controls kept in memory. Every read is logged with its
// limit, so tests can see how much of a field the binding asked for.
class MemoryControls : public DialogControls {
public:
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;     // absent: enabled, as in the template
    std::set<int> unreadable;        // controls whose text cannot be read
    std::vector<std::pair<int, std::size_t>> reads;

    std::string text(int id, std::size_t maxChars) override {
        reads.emplace_back(id, maxChars);
        if (unreadable.count(id) != 0) return {};
        const std::string& whole = texts[id];
        return maxChars == kWholeText ? whole : whole.substr(0, maxChars);
    }
    void setText(int id, const std::string& value) override { texts[id] = value; }
    bool isChecked(int id) override { return checks[id]; }
    void setChecked(int id, bool checked) override { checks[id] = checked; }
    void setEnabled(int id, bool on) override { enabled[id] = on; }

    bool isEnabled(int id) const {
        const auto it = enabled.find(id);
        return it == enabled.end() || it->second;
    }
    // The limit of the last read of a control; 0 when it was never read.
    std::size_t lastReadLimit(int id) const {
        for (auto it = reads.rbegin(); it != reads.rend(); ++it) {
            if (it->first == id) return it->second;
        }
        return 0;
    }
};

}  // namespace wb::test
