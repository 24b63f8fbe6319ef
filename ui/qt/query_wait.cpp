#include "ui/qt/query_wait.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWidget>
#include <thread>
#include <utility>

namespace kovarra {

namespace {

bool g_waiting = false;

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

// Dropped at the widgets rather than at the window, so that Qt's own book-keeping of the mouse
// buttons and of the focus stays right.
class InputGate : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType() || !IsUserInput(event->type())) return false;
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      // The window's close key; the window itself decides when the close is carried out.
      if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        static_cast<QWidget*>(watched)->window()->close();
      }
    }
    return true;
  }
};

}  // namespace

void WaitWhileRunning(const std::function<void()>& work) {
  InputGate gate;
  QCoreApplication::instance()->installEventFilter(&gate);
  const bool outer = std::exchange(g_waiting, true);
  QEventLoop loop;
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  // Should the application quit meanwhile, the loop returns early and the join waits for the
  // work, which the request's own time-outs bound.
  loop.exec();
  worker.join();
  g_waiting = outer;
  QCoreApplication::instance()->removeEventFilter(&gate);
}

bool QueryWaiting() {
  return g_waiting;
}

}  // namespace kovarra
