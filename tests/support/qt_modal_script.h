#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace brackwater::testing {

// Acts as the user in the modal windows that one action opens: each step takes the modal window
// that is up when its turn comes. A window of another kind, one after the last step (such as a
// question that a step's answer raises), or one left open after its step fails the test and is
// closed unasked, so that nothing waits for a user.
class ModalScript : public QObject {
 public:
  template <typename Modal>
  ModalScript& Then(std::function<void(Modal&)> act) {
    steps_.push_back([act](QWidget& window) {
      auto* modal = qobject_cast<Modal*>(&window);
      if (modal != nullptr) act(*modal);
      return modal != nullptr;
    });
    return *this;
  }

  // Runs `action`, answering the modal windows it opens, inside every event loop that runs;
  // every step must have had its turn by the end.
  void Run(const std::function<void()>& action) {
    Poll();
    action();
    EXPECT_EQ(next_, steps_.size()) << "modal windows that did not open";
  }

 private:
  void Poll() {
    // Again at once, on a timer of its own, so that a loop that a step starts is watched too.
    QTimer::singleShot(0, this, [this] { Poll(); });
    const QPointer<QWidget> modal = QApplication::activeModalWidget();
    if (modal.isNull() || answered_.contains(modal)) return;
    answered_.append(modal);
    const std::size_t step = next_++;
    if (step >= steps_.size() || !steps_[step](*modal)) {
      ADD_FAILURE() << "an unexpected modal window: " << modal->windowTitle().toStdString();
    } else if (!modal.isNull() && modal->isVisible()) {
      ADD_FAILURE() << "the modal window is still open: " << modal->windowTitle().toStdString();
    }
    // Hidden, a dialog leaves its loop whatever buttons it has.
    if (!modal.isNull()) modal->hide();
  }

  std::vector<std::function<bool(QWidget&)>> steps_;
  std::size_t next_ = 0;
  QList<QPointer<QWidget>> answered_;
};

}  // namespace brackwater::testing
