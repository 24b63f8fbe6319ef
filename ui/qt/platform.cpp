#include "ui/qt/platform.hpp"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/qt/qt_text.hpp"
#include "ui/web_address.hpp"

namespace kovarra {

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
  const std::optional<std::string> encoded = WebAddress(url);
  if (!encoded) return;
  const QUrl address = QUrl::fromEncoded(QByteArray::fromStdString(*encoded), QUrl::StrictMode);
  if (address.isValid()) QDesktopServices::openUrl(address);
}

void QtPlatformServices::TerminateProgram(int exitCode) {
  RunExitActions();
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

}  // namespace kovarra
