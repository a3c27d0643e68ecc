#pragma once

#include "app/form_fields.h"

namespace wb {

// The page's fields are the dialog's: one list for both.
using PageField = FormField;
inline constexpr const auto& kPageFields = kFormFields;

}  // namespace wb
