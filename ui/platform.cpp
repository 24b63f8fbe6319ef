#include "ui/platform.hpp"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

#include "core/codepage.hpp"
#include "ui/lifecycle.hpp"
#include "ui/qt_text.hpp"

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
  QMessageBox box(icon, ToQt(title ? *title : DefaultMessageTitle()), ToQt(text), QMessageBox::Ok);
  box.setObjectName(QStringLiteral("ShowMessage"));
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return 1;
}

void QtPlatformServices::OpenUrl(const Text& url) {
  const QUrl address(ToQt(url), QUrl::StrictMode);
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
