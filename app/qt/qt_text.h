#pragma once

// Between the form's UTF-16 texts and Qt's: both are UTF-16, so the units are copied as they
// are, with no conversion.

#include <QString>

#include <string>
#include <string_view>

namespace app {

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

}  // namespace app
