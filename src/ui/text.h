#pragma once
// Conversions between the engine's UTF-8 texts and Qt strings.
#include <QString>
#include <string>
#include <string_view>

namespace tavlora::ui {

inline QString qs(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
inline std::string us(const QString& text) { return text.toUtf8().toStdString(); }

// A message of the program as shown on screen: the "\r" paragraph marks (alone or before "\n")
// become line breaks.
QString displayText(std::string_view utf8);

}  // namespace tavlora::ui
