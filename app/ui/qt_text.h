#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace csv2sql {

// The program keeps its text as UTF-8; Qt keeps UTF-16.
inline QString toQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string fromQt(const QString& text) {
  return text.toStdString();
}

}  // namespace csv2sql
