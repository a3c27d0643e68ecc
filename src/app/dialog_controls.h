#pragma once

#include <cstddef>
#include <string>

namespace wb {

// The dialog's controls as the form binding sees them, by identifier.
// The Win32 program adapts it to the real dialog; tests use memory.
class DialogControls {
public:
    static constexpr std::size_t kWholeText = static_cast<std::size_t>(-1);

    virtual ~DialogControls() = default;
    // At most maxChars characters of the control's text (kWholeText: all of
    // it); a control that cannot be read gives the empty text.
    virtual std::string text(int id, std::size_t maxChars) = 0;
    virtual void setText(int id, const std::string& text) = 0;
    virtual bool isChecked(int id) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual void setEnabled(int id, bool enabled) = 0;
};

}  // namespace wb
