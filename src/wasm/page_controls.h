#pragma once

#include <map>
#include <string>

#include "app/dialog_controls.h"

namespace wb {

// The page's form as the form binding sees it: the texts and check marks of
// the dialog's controls, by the dialog's identifiers. The page copies its
// inputs in before the core reads the form, and out after the core has
// written it, so the binding's rules (lenient numbers, the tone-list text,
// Disable RX checking Auto Start) are the core's own.
class PageControls : public DialogControls {
public:
    std::string text(int id, std::size_t maxChars) override;
    void setText(int id, const std::string& text) override { texts_[id] = text; }
    bool isChecked(int id) override { return checks_[id]; }
    void setChecked(int id, bool checked) override { checks_[id] = checked; }
    void setEnabled(int id, bool enabled) override { enabled_[id] = enabled; }

    // Absent: enabled, as every control starts.
    bool isEnabled(int id) const;

private:
    std::map<int, std::string> texts_;
    std::map<int, bool> checks_;
    std::map<int, bool> enabled_;
};

}  // namespace wb
