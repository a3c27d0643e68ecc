#pragma once

#include <windows.h>

#include "app/dialog_controls.h"

namespace wb {

// The form binding's view of the real dialog: controls by identifier.
class Win32DialogControls final : public DialogControls {
public:
    explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}

    std::string text(int id, std::size_t maxChars) override;
    void setText(int id, const std::string& text) override;
    bool isChecked(int id) override;
    void setChecked(int id, bool checked) override;
    void setEnabled(int id, bool enabled) override;

private:
    HWND dialog_;
};

}  // namespace wb
