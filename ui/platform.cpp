#include "ui/platform.hpp"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/qt_text.hpp"

namespace kovarra {

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Letters, digits and the marks that a URL holds as they stand.
bool IsUrlCharacter(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~:/?#[]@!$&'()*+,;=").find(c) != std::string_view::npos;
}

void AppendEscaped(QByteArray& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.append('%').append(kHex[b >> 4]).append(kHex[b & 0xF]);
  }
}

// The address with what a URL cannot hold percent-encoded and the rest kept as it is: blanks,
// quotes, angle brackets, control bytes and a "%" that starts no escape as %XX, two-byte
// characters as the escapes of their UTF-8 form, the way a browser sends what it is given.
QByteArray UrlEscaped(std::string_view url) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(url.size()));
  for (std::size_t i = 0; i < url.size();) {
    const char c = url[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      std::size_t end = i;
      while (end < url.size() && static_cast<unsigned char>(url[end]) >= 0x80) {
        end = std::min(end + 2, url.size());
      }
      AppendEscaped(out, GbkToUtf8(url.substr(i, end - i)));
      i = end;
    } else if (c == '%' && i + 2 < url.size() && IsHexDigit(url[i + 1]) && IsHexDigit(url[i + 2])) {
      out.append(url.data() + i, 3);
      i += 3;
    } else if (IsUrlCharacter(c)) {
      out.append(c);
      ++i;
    } else {
      AppendEscaped(out, url.substr(i, 1));
      ++i;
    }
  }
  return out;
}

}  // namespace

Text DefaultMessageTitle() {
  return Gbk("信息：");
}

int QtPlatformServices::ShowMessage(const Text& text, int style, const std::optional<Text>& title) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (style & 0xF0) {
    case kStyleCritical:
      icon = QMessageBox::Critical;
      break;
    case 32:
      icon = QMessageBox::Question;
      break;
    case 48:
      icon = QMessageBox::Warning;
      break;
    case kStyleInformation:
      icon = QMessageBox::Information;
      break;
    default:
      break;
  }
  // An empty title is no title: absent and empty texts are the same value.
  const Text& shownTitle = title && !title->empty() ? *title : DefaultMessageTitle();
  QMessageBox box(icon, ToQt(shownTitle), ToQt(text), QMessageBox::Ok);
  box.setObjectName(QStringLiteral("ShowMessage"));
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return 1;
}

void QtPlatformServices::OpenUrl(const Text& url) {
  const QUrl address = QUrl::fromEncoded(UrlEscaped(url.view()), QUrl::StrictMode);
  if (!address.isValid()) return;
  const QString scheme = address.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return;
  QDesktopServices::openUrl(address);
}

void QtPlatformServices::TerminateProgram(int exitCode) {
  RunExitActions();
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

}  // namespace kovarra
