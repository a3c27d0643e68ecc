#include "web/page_fields.h"

namespace wb {

bool layoutStores(DeviceModel model, const PageField& field) {
    constexpr std::string_view kTarselOnly[] = {"rxFrequencyMHz", "randomTones", "randomSpeed",
                                                "randomMorse",    "autoStart",   "disableRx",
                                                "unlockCode",     "initialDelayMin", "totalRuntimeMin"};
    bool tarselOnly = false;
    for (std::string_view key : kTarselOnly) tarselOnly = tarselOnly || key == field.key;
    switch (model) {
        case DeviceModel::Basic:
            return !tarselOnly;
        case DeviceModel::Tarsel:
            return field.key != "ledEnabled";
        default:
            return false;
    }
}

}  // namespace wb
