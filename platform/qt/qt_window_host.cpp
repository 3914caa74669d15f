#include "platform/qt/qt_window_host.h"

#include <QFile>
#include <stdexcept>

#include "platform/qt/qt_dialog_control.h"

namespace brackwater {
namespace {

QRect QtRect(const Rect& place) {
  return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

QString QtText(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// 0x00BBGGRR, as the drawing calls take colours.
QColor QtColor(Rgb rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

template <typename Widget>
Widget& Find(const std::vector<std::pair<std::u16string, Widget*>>& widgets,
             std::u16string_view name) {
  for (const auto& [widgetName, widget] : widgets) {
    if (widgetName == name) return *widget;
  }
  throw std::logic_error("the window has no control " + QtText(name).toStdString());
}

}  // namespace

QtWindowHost::QtWindowHost(QtWindowPictures pictures) : pictures_(std::move(pictures)) {}

QtWindowHost::~QtWindowHost() = default;

void QtWindowHost::MakeWindow(const std::u16string& caption, int clientWidth, int clientHeight) {
  window_ = std::make_unique<QtWindow>(QtText(caption), QSize(clientWidth, clientHeight),
                                       pictures_.background, pictures_.icon);
}

void QtWindowHost::AddLabel(const std::u16string& name, const Rect& place,
                            const std::u16string& text, std::optional<Rgb> background) {
  std::optional<QColor> colour;
  if (background) colour = QtColor(*background);
  QtLabel* label = Window().AddLabel(QtRect(place), QtText(text), colour);
  label->setObjectName(QtText(name));
  labels_.emplace_back(name, label);
}

void QtWindowHost::SetLabelText(std::u16string_view name, const std::u16string& text) {
  QtLabel& label = Label(name);
  label.SetWholeText(QtText(text));
  label.repaint();
}

ControlWindow& QtWindowHost::AddControlWindow(const std::u16string& name, const Rect& place) {
  // The caption in the window's font, which the widget takes up from it.
  auto* widget = new QtControlWidget(QtText(name), colors_, &Window());
  widget->setObjectName(QtText(name));
  Window().Place(widget, QtRect(place));
  controls_.emplace_back(name, widget);
  return *widget;
}

void QtWindowHost::AddDialogControlFace(const std::u16string& name, const Rect& place) {
  const QRect at = QtRect(place);
  auto* widget = new QtDialogControl(at.size(), &Window());
  widget->setObjectName(QtText(name));
  widget->SetIcon(pictures_.dialogControl);
  Window().Place(widget, at);
}

void QtWindowHost::SetTabOrder(const std::vector<ControlWindow*>& order) {
  // Qt leaves a pair alone whose second already comes next, round the cycle, among the widgets
  // that take the focus; so controls made in another order would keep their places, and the
  // first of them would not be the first to take the focus. With the window itself taking the
  // focus meanwhile, the first control is put right after it, where the focus starts.
  QWidget* previous = &Window();
  const Qt::FocusPolicy policy = previous->focusPolicy();
  previous->setFocusPolicy(Qt::StrongFocus);
  for (ControlWindow* control : order) {
    auto* widget = dynamic_cast<QtControlWidget*>(control);
    if (widget == nullptr) throw std::logic_error("a control window of another host");
    QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
  Window().setFocusPolicy(policy);
}

std::int32_t QtWindowHost::WindowHandle() const { return Window().Handle(); }

void QtWindowHost::ShowMessage(const std::u16string& text, const std::u16string& title,
                               MessageIcon icon) {
  ShowQtMessage(&Window(), text, title, icon);
}

QtWindow& QtWindowHost::Window() const {
  if (window_ == nullptr) throw std::logic_error("the window is not made yet");
  return *window_;
}

QtLabel& QtWindowHost::Label(std::u16string_view name) const { return Find(labels_, name); }

QtControlWidget& QtWindowHost::ControlWidget(std::u16string_view name) const {
  return Find(controls_, name);
}

std::string QtResourceBytes(const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error("the program's resources lack " + name.toStdString());
  }
  const QByteArray bytes = file.readAll();
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace brackwater
