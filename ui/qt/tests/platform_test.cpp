#include "ui/qt/platform.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

#include "core/codepage.hpp"

namespace kovarra {
namespace {

// Takes what the desktop would be asked to open, exactly as it would be sent on.
class DesktopSink : public QObject {
  Q_OBJECT
 public slots:
  void Open(const QUrl& url) { opened.push_back(url.toEncoded().toStdString()); }

 public:
  std::vector<std::string> opened;
};

class OpenUrlTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* scheme : kSchemes) {
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &sink, "Open");
    }
  }
  void TearDown() override {
    for (const char* scheme : kSchemes)
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
  }
  // The refused schemes are caught too, so that handing them on would show.
  static constexpr const char* kSchemes[] = {"http", "https",  "ftp",
                                             "file", "mailto", "javascript"};
  DesktopSink sink;
  QtPlatformServices services;
};

TEST_F(OpenUrlTest, EveryWebAddressReachesTheDesktopWithOnlyWhatCannotStandEscaped) {
  struct Case {
    const char* name;
    Text url;
    std::string handedOn;
  };
  const std::string page = "https://lpl.qq.com/es/video_detail.shtml?nid=";
  const std::vector<Case> cases = {
      {"plain", Text(page + "12345"), page + "12345"},
      {"blank", Text(page + "12 34"), page + "12%2034"},
      {"escapes kept", Text(page + "12%2034%e4"), page + "12%2034%E4"},
      {"lone percent", Text(page + "50%&a=%zz&b=%4"), page + "50%25&a=%25zz&b=%254"},
      {"quotes and angles", Text(page + "\"1\"<b>'"), page + "%221%22%3Cb%3E'"},
      {"other marks", Text(page + "{|}\\^`"), page + "%7B%7C%7D%5C%5E%60"},
      {"control bytes", Text(page + "1\t2\x7f"), page + "1%092%7F"},
      {"reserved marks", Text("http://h:8080/a;b?c=[1]&d=!$()*+,=:@~#top"),
       "http://h:8080/a;b?c=[1]&d=!$()*+,=:@~#top"},
      {"two-byte characters as UTF-8", Gbk("https://h/视频?t=中文&u=x"),
       "https://h/%E8%A7%86%E9%A2%91?t=%E4%B8%AD%E6%96%87&u=x"},
      // The scheme and host are case-blind; the desktop gets their usual lower-case form.
      {"upper-case scheme", Text("HTTPS://H/X?Y"), "https://h/X?Y"},
  };
  for (const Case& c : cases) {
    sink.opened.clear();
    services.OpenUrl(c.url);
    EXPECT_EQ(sink.opened, std::vector<std::string>{c.handedOn}) << c.name;
  }
}

TEST_F(OpenUrlTest, OtherSchemesAndNonAddressesAreRefused) {
  for (const char* url : {"ftp://h/x", "file:///etc/passwd", "javascript:alert(1)", "mailto:a@b.c",
                          "lpl.qq.com/es/x", "", " https://h/x",
                          // a host with a blank names no server at all
                          "https://exa mple.com/x"}) {
    services.OpenUrl(Text(url));
    EXPECT_TRUE(sink.opened.empty()) << url;
    sink.opened.clear();
  }
}

// Closes the box as soon as it is up and notes how it looked.
struct ShownBox {
  std::string title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

ShownBox ShowAndDismiss(const Text& text, int style, const std::optional<Text>& title) {
  ShownBox shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = {box->windowTitle().toStdString(), box->text().toStdString(), box->icon()};
    box->button(QMessageBox::Ok)->click();
  });
  poll.start(10);
  QtPlatformServices services;
  EXPECT_EQ(services.ShowMessage(text, style, title), 1);
  return shown;
}

TEST(ShowMessageTest, AbsentOrEmptyTitleReadsInformationAndTheStyleChoosesTheIcon) {
  struct Case {
    int style;
    std::optional<Text> title;
    const char* shownTitle;
    QMessageBox::Icon icon;
  };
  const std::vector<Case> cases = {
      {kStyleCritical, std::nullopt, "信息：", QMessageBox::Critical},
      {kStyleCritical, Text(), "信息：", QMessageBox::Critical},
      {kStylePlain, Gbk("温馨提示"), "温馨提示", QMessageBox::NoIcon},
      {kStyleInformation, Gbk("温馨提示"), "温馨提示", QMessageBox::Information},
      {kStylePlain, Text(" "), " ", QMessageBox::NoIcon},
  };
  for (const Case& c : cases) {
    const ShownBox shown = ShowAndDismiss(Gbk("数据匹配有误"), c.style, c.title);
    EXPECT_EQ(shown.title, c.shownTitle) << c.style;
    EXPECT_EQ(shown.text, "数据匹配有误");
    EXPECT_EQ(shown.icon, c.icon) << c.style;
  }
}

}  // namespace
}  // namespace kovarra

#include "platform_test.moc"
