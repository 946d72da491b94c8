#include "settings/settings.h"

#include "core/text.h"
#include "settings/setting_keys.h"

namespace csv2sql {

std::int32_t NumberSetting::toInt32() const {
  return csv2sql::toInt32(text);
}

std::int16_t NumberSetting::toInt16() const {
  return csv2sql::toInt16(text);
}

Settings::Settings() {
  for (const SettingKey& key : settingKeys()) setFieldText(*this, key.field, key.defaultText);
}

}  // namespace csv2sql
