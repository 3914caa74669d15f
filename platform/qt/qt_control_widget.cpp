#include "platform/qt/qt_control_widget.h"

#include <QAccessible>
#include <QApplication>
#include <QChar>
#include <QCoreApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <string_view>
#include <utility>

#include "platform/gui/failure_report.h"
#include "platform/qt/qt_control_accessible.h"

namespace brackwater {
namespace {

std::int16_t ButtonMask(Qt::MouseButtons buttons) {
  std::int16_t mask = 0;
  if (buttons & Qt::LeftButton) mask |= MouseButton::kLeft;
  if (buttons & Qt::RightButton) mask |= MouseButton::kRight;
  if (buttons & Qt::MiddleButton) mask |= MouseButton::kMiddle;
  return mask;
}

std::int16_t ShiftMask(Qt::KeyboardModifiers modifiers) {
  std::int16_t mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= ModifierKey::kShift;
  if (modifiers & Qt::ControlModifier) mask |= ModifierKey::kCtrl;
  if (modifiers & Qt::AltModifier) mask |= ModifierKey::kAlt;
  return mask;
}

// Handles only need to tell the controls' windows apart; a counter gives each its own without
// making it a native window, which winId() would.
std::int32_t NextHandle() {
  static std::int32_t last = 0;
  return ++last;
}

// Keys whose codes are not their characters, and the symbols of a US keyboard's shifted keys,
// which Qt reports by the symbol and the platform by the key underneath.
constexpr std::pair<int, std::int16_t> kKeyCodes[] = {
    {Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},           {Qt::Key_Backtab, 9},
    {Qt::Key_Clear, 12},       {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},       {Qt::Key_Control, 17},      {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},       {Qt::Key_Pause, 19},        {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},      {Qt::Key_PageUp, 33},       {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},         {Qt::Key_Home, 36},         {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},          {Qt::Key_Right, 39},        {Qt::Key_Down, 40},
    {Qt::Key_Select, 41},      {Qt::Key_Printer, 42},      {Qt::Key_Execute, 43},
    {Qt::Key_Print, 44},       {Qt::Key_Insert, 45},       {Qt::Key_Delete, 46},
    {Qt::Key_Help, 47},        {Qt::Key_Meta, 91},         {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92},     {Qt::Key_Menu, 93},         {Qt::Key_Sleep, 95},
    {Qt::Key_NumLock, 144},    {Qt::Key_ScrollLock, 145},  {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},      {Qt::Key_Equal, 187},       {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},      {Qt::Key_Less, 188},        {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},      {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},      {Qt::Key_Question, 191},    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},  {Qt::Key_Bar, 220},         {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},  {Qt::Key_QuoteDbl, 222},
    {Qt::Key_Exclam, 49},      {Qt::Key_At, 50},           {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},      {Qt::Key_Percent, 53},      {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},   {Qt::Key_Asterisk, 56},     {Qt::Key_ParenLeft, 57},
    {Qt::Key_ParenRight, 48},  {Qt::Key_Space, 32},        {Qt::Key_Cancel, 3},
    {Qt::Key_Back, 166},       {Qt::Key_Forward, 167},     {Qt::Key_Refresh, 168},
    {Qt::Key_Stop, 169},       {Qt::Key_Search, 170},      {Qt::Key_Favorites, 171},
    {Qt::Key_HomePage, 172},   {Qt::Key_VolumeMute, 173},  {Qt::Key_VolumeDown, 174},
    {Qt::Key_VolumeUp, 175},   {Qt::Key_MediaNext, 176},   {Qt::Key_MediaPrevious, 177},
    {Qt::Key_MediaStop, 178},  {Qt::Key_MediaPlay, 179},   {Qt::Key_MediaTogglePlayPause, 179},
    {Qt::Key_LaunchMail, 180}, {Qt::Key_LaunchMedia, 181}, {Qt::Key_Launch0, 182},
    {Qt::Key_Launch1, 183},
};

// The rows of a US keyboard's letters, by the native scan code of their first key.
constexpr std::pair<quint32, const char*> kLetterRows[] = {
    {24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};

// The other keys that layouts put letters on, by native scan code: digits, then punctuation.
constexpr std::pair<quint32, std::int16_t> kKeysAt[] = {
    {10, 49},  {11, 50},  {12, 51},  {13, 52},  {14, 53},  {15, 54},  {16, 55},  {17, 56},
    {18, 57},  {19, 48},  {20, 189}, {21, 187}, {34, 219}, {35, 221}, {47, 186}, {48, 222},
    {49, 192}, {51, 220}, {59, 188}, {60, 190}, {61, 191}, {94, 226},
};

// A key's code: its own when it has one, else that of the US key in its place.
std::int16_t KeyCodeOf(const QKeyEvent& event) {
  if (const auto code = VirtualKeyCode(event.key(), event.modifiers())) return *code;
  return VirtualKeyCodeAt(event.nativeScanCode());
}

// The keypad's keys have codes of their own, apart from the main keyboard's.
std::optional<std::int16_t> KeypadCode(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<std::int16_t>(96 + key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk:
      return 106;
    case Qt::Key_Plus:
      return 107;
    case Qt::Key_Minus:
      return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
      return 110;
    case Qt::Key_Slash:
      return 111;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::int16_t> VirtualKeyCode(int key, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    if (const auto code = KeypadCode(key)) return code;
  }
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
    return static_cast<std::int16_t>(key);
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
    return static_cast<std::int16_t>(112 + key - Qt::Key_F1);
  }
  for (const auto& [qtKey, code] : kKeyCodes) {
    if (qtKey == key) return code;
  }
  return std::nullopt;
}

std::int16_t VirtualKeyCodeAt(quint32 nativeScanCode) {
  for (const auto& [first, letters] : kLetterRows) {
    const std::string_view row(letters);
    if (nativeScanCode >= first && nativeScanCode - first < row.size()) {
      return static_cast<std::int16_t>(row[nativeScanCode - first]);
    }
  }
  for (const auto& [at, code] : kKeysAt) {
    if (at == nativeScanCode) return code;
  }
  return 0;
}

template <typename Step>
void QtControlWidget::Guarded(Step&& step) {
  GuardedCall<QWidget*>(this, std::forward<Step>(step));
}

QtControlWidget::QtControlWidget(const QString& instanceName, const SystemColors& colors,
                                 QWidget* parent)
    : QtControlWidget(instanceName, colors, nullptr, parent) {}

QtControlWidget::QtControlWidget(const QString& instanceName, const SystemColors& colors,
                                 TextEngine& text, QWidget* parent)
    : QtControlWidget(instanceName, colors, &text, parent) {}

QtControlWidget::QtControlWidget(const QString& instanceName, const SystemColors& colors,
                                 TextEngine* text, QWidget* parent)
    : QWidget(parent),
      instanceName_(instanceName.toStdU16String()),
      handle_(NextHandle()),
      colors_(colors),
      text_(text),
      timer_(new QTimer(this)) {
  if (text_ == nullptr) {
    ownText_ = std::make_unique<QtTextEngine>(font());
    text_ = ownText_.get();
  }
  InstallQtControlAccessibility();
  // A push button takes the focus by a click and by the Tab key.
  setFocusPolicy(Qt::StrongFocus);
  // Hover is found by the control's timer, which a move starts: moves must come without a
  // pressed button too.
  setMouseTracking(true);
  timer_->setInterval(ControlHost::kTimerMilliseconds);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (input_ != nullptr) Guarded([this] { input_->OnTimer(); });
  });
  WatchWindow();
}

// A grab that outlived its widget would keep the pointer from every other window.
QtControlWidget::~QtControlWidget() { ReleaseCapture(); }

ControlInput* QtControlWidget::Input() const { return isEnabled() ? input_ : nullptr; }

bool QtControlWidget::Enabled() const {
  // The window's own switch, as the control sets it, not whether a disabled parent also shuts
  // it off.
  return !testAttribute(Qt::WA_ForceDisabled);
}

void QtControlWidget::SetEnabled(bool enabled) { setEnabled(enabled); }

std::int32_t QtControlWidget::WindowUnderPointer() const {
  // Where the pointer is now, not where the last event happened: the click rule asks for it.
  // Qt's widget at a point may be disabled or behind a modal window, where the platform's
  // window from a point never is.
  const auto* under = qobject_cast<const QtControlWidget*>(QApplication::widgetAt(QCursor::pos()));
  return under != nullptr && under->TakesPointer() ? under->handle_ : 0;
}

bool QtControlWidget::TakesPointer() const { return isVisible() && isEnabled() && !blocked_; }

void QtControlWidget::SetClientSize(int width, int height) {
  resize(width, height);
  // Qt holds a hidden widget's resize event back until it is shown; the control expects to
  // hear of its new size before this returns, as a shown widget's resize has it.
  if (testAttribute(Qt::WA_PendingResizeEvent) && input_ != nullptr) input_->OnResize();
}

QKeySequence QtControlWidget::AccessKeySequence() const {
  if (!accessKey_) return {};
  // Qt names a character's key by its upper case.
  const auto key = static_cast<Qt::Key>(QChar(*accessKey_).toUpper().unicode());
  return QKeySequence(QKeyCombination(Qt::AltModifier, key));
}

void QtControlWidget::SetAccessKey(std::optional<char16_t> key) {
  accessKey_ = key;
  delete accessShortcut_;
  accessShortcut_ = nullptr;
  if (key) {
    // Anywhere in the window, as an access key works from any control of its window; the
    // shortcut stays silent while the widget is disabled.
    accessShortcut_ =
        new QShortcut(AccessKeySequence(), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(accessShortcut_, &QShortcut::activated, this, [this] {
      if (ControlInput* input = Input()) Guarded([input] { input->OnAccessKey(); });
    });
  }
  // The control hands its key over whenever its caption changes, which is the button's name.
  QAccessibleEvent changed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
}

void QtControlWidget::Press() {
  if (ControlInput* input = Input()) Guarded([input] { input->OnAccessKey(); });
}

void QtControlWidget::SetTimerEnabled(bool enabled) {
  // Every mouse move switches the timer on: restarting a running one would put its ticks off
  // for as long as the pointer moves.
  if (!enabled) {
    timer_->stop();
  } else if (!timer_->isActive()) {
    timer_->start();
  }
}

void QtControlWidget::SetCapture() {
  if (isVisible() && isEnabled() && !blocked_) grabMouse();
}

void QtControlWidget::ReleaseCapture() {
  // Only a grab of this widget's own: another window's grab is its owner's to end.
  if (QWidget::mouseGrabber() == this) releaseMouse();
}

void QtControlWidget::Yield() { QCoreApplication::processEvents(); }

char16_t QtControlWidget::LowerCase(char16_t c) const { return QChar(c).toLower().unicode(); }

void QtControlWidget::ShowSurface(const ImageView& image) {
  if (image.pixels.empty()) {
    image_ = QImage();
  } else {
    // A copy: the control may repaint into its image before Qt gets round to showing it.
    image_ = QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                    image.width * 4, QImage::Format_RGB32)
                 .copy();
  }
  update();
}

void QtControlWidget::paintEvent(QPaintEvent*) {
  if (!image_.isNull()) QPainter(this).drawImage(0, 0, image_);
}

void QtControlWidget::resizeEvent(QResizeEvent*) {
  if (input_ != nullptr) Guarded([this] { input_->OnResize(); });
}

// Qt already keeps mouse and key events from a disabled widget; the checks below also cover
// the focus and shortcut events that Qt still delivers while a widget is being disabled.

void QtControlWidget::mousePressEvent(QMouseEvent* event) {
  // A double click's second press comes here as well, as QWidget passes it on: two quick
  // clicks are two clicks of the button.
  DeliverMouse(&ControlInput::OnMouseDown, ButtonMask(event->button()), *event);
}

void QtControlWidget::mouseReleaseEvent(QMouseEvent* event) {
  DeliverMouse(&ControlInput::OnMouseUp, ButtonMask(event->button()), *event);
}

void QtControlWidget::mouseMoveEvent(QMouseEvent* event) {
  // A move counts with no button held, too.
  DeliverMouse(&ControlInput::OnMouseMove, ButtonMask(event->buttons()), *event, true);
}

void QtControlWidget::DeliverMouse(MouseHandler handler, std::int16_t button,
                                   const QMouseEvent& event, bool withoutButton) {
  ControlInput* input = Input();
  if (input == nullptr || (button == 0 && !withoutButton)) return;
  const QPointF at = event.position();
  const std::int16_t shift = ShiftMask(event.modifiers());
  Guarded([&] {
    (input->*handler)(button, shift, static_cast<float>(at.x()), static_cast<float>(at.y()));
  });
}

void QtControlWidget::keyPressEvent(QKeyEvent* event) {
  ControlInput* input = Input();
  if (input == nullptr) {
    QWidget::keyPressEvent(event);
    return;
  }
  // A held key comes again and again, each time as a press of its own.
  Guarded([&] { input->OnKeyDown(KeyCodeOf(*event), ShiftMask(event->modifiers())); });
}

void QtControlWidget::keyReleaseEvent(QKeyEvent* event) {
  ControlInput* input = Input();
  if (input == nullptr) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  // Some platforms pair each repeated press with a release of their own making; only the
  // release of the key itself counts.
  if (event->isAutoRepeat()) return;
  Guarded([&] { input->OnKeyUp(KeyCodeOf(*event), ShiftMask(event->modifiers())); });
}

void QtControlWidget::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (ControlInput* input = Input()) Guarded([input] { input->OnFocusIn(); });
}

void QtControlWidget::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (ControlInput* input = Input()) Guarded([input] { input->OnFocusOut(); });
}

void QtControlWidget::WatchWindow() {
  QWidget* top = window();
  if (top == watchedWindow_) return;
  if (!watchedWindow_.isNull() && watchedWindow_ != this) watchedWindow_->removeEventFilter(this);
  watchedWindow_ = top;
  // A window of its own hears of its blocking in event().
  if (top != this) top->installEventFilter(this);
  SetBlocked(false);
}

void QtControlWidget::SetBlocked(bool blocked) {
  blocked_ = blocked;
  if (blocked) ReleaseCapture();
}

bool QtControlWidget::event(QEvent* event) {
  if (event->type() == QEvent::WindowBlocked) SetBlocked(true);
  if (event->type() == QEvent::WindowUnblocked) SetBlocked(false);
  return QWidget::event(event);
}

bool QtControlWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedWindow_) {
    if (event->type() == QEvent::WindowBlocked) SetBlocked(true);
    if (event->type() == QEvent::WindowUnblocked) SetBlocked(false);
  }
  return QWidget::eventFilter(watched, event);
}

void QtControlWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ParentChange) WatchWindow();
  if (event->type() == QEvent::EnabledChange && !isEnabled()) ReleaseCapture();
  // The caption takes the window's font, as the window's labels do, so that its layout follows
  // the font that the window shows.
  if ((event->type() == QEvent::FontChange || event->type() == QEvent::ParentChange) &&
      ownText_ != nullptr) {
    ownText_->SetFont(font());
  }
  if (input_ == nullptr) return;
  // The font and the colours are what a container's controls take up from it.
  if (event->type() == QEvent::FontChange) {
    Guarded([this] { input_->OnAmbientChanged(u"Font"); });
  } else if (event->type() == QEvent::PaletteChange) {
    Guarded([this] { input_->OnAmbientChanged(u"Palette"); });
  }
}

}  // namespace brackwater
