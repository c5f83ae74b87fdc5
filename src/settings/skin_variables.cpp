#include "settings/skin_variables.h"

namespace tarnwick::settings {

void SetSkinVariable(platform::SkinPlayer& skin, const std::string& path,
                     const std::string& value) {
    skin.SetVariable(path, value);
}

} // namespace tarnwick::settings
