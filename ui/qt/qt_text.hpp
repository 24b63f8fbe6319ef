#pragma once

// Text is GBK; Qt speaks UTF-16. The two meet only here.

#include <QByteArray>
#include <QString>

#include "core/codepage.hpp"
#include "core/text.hpp"

namespace kovarra {

inline QString ToQt(const Text& text) {
  return QString::fromStdU16String(GbkToUtf16(text.view()));
}

inline Text FromQt(const QString& text) {
  return Utf16ToGbk(text.toStdU16String());
}

// Exact bytes, kept beside what a control shows, so that reading back gives what was written
// even where GBK and UTF-16 do not map one to one.
inline QByteArray RawBytes(const Text& text) {
  return QByteArray(text.c_str(), static_cast<qsizetype>(text.size()));
}
inline Text FromRaw(const QByteArray& bytes) {
  return Text(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace kovarra
