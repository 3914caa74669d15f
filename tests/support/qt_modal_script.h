#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace brackwater::testing {

// Acts as the user in the modal windows that one action opens: each step takes the modal window
// that is up when its turn comes. A window of another kind, one after the last step (such as a
// question that a step's answer raises), or one that a step leaves open fails the test and is
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
    running_ = true;
    Poll();
    action();
    running_ = false;
    EXPECT_EQ(next_, steps_.size()) << "modal windows that did not open";
  }

 private:
  void Poll() {
    if (!running_) return;
    // Again at once, so that a loop that a step starts is watched too.
    QTimer::singleShot(0, this, [this] { Poll(); });
    const QPointer<QWidget> modal = QApplication::activeModalWidget();
    if (modal.isNull() || modal == acting_) return;
    const std::string title = modal->windowTitle().toStdString();
    const QPointer<QWidget> outer = acting_;
    acting_ = modal;
    const std::size_t step = next_++;
    if (failed_ || step >= steps_.size() || !steps_[step](*modal)) {
      if (!failed_) ADD_FAILURE() << "an unexpected modal window: " << title;
      failed_ = true;
    } else if (!modal.isNull() && modal->isVisible()) {
      ADD_FAILURE() << "the modal window is still open: " << title;
      failed_ = true;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal.data()); dialog != nullptr) {
      if (dialog->isVisible()) dialog->reject();
    } else if (!modal.isNull()) {
      modal->close();
    }
    acting_ = outer;
  }

  std::vector<std::function<bool(QWidget&)>> steps_;
  std::size_t next_ = 0;
  bool failed_ = false;
  bool running_ = false;
  QPointer<QWidget> acting_;
};

}  // namespace brackwater::testing
