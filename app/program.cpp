#include "app/program.h"

#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <algorithm>
#include <exception>
#include <functional>

#include "platform/gui/units.h"
#include "platform/qt/qt_dialog_control.h"
#include "platform/qt/qt_system_colors.h"
#include "platform/qt/qt_text_engine.h"

// The resources live in a static library, whose registration the linker would drop unasked.
static void LoadResources() { Q_INIT_RESOURCE(brackwater); }

namespace brackwater {
namespace {

QRect PixelsOf(const ControlPlace& place) {
  return {TwipsToPixels(place.left), TwipsToPixels(place.top), TwipsToPixels(place.width),
          TwipsToPixels(place.height)};
}

// OLE colours as stored: 0x00BBGGRR.
QColor ColourOf(std::int32_t ole) {
  return QColor(ole & 0xFF, (ole >> 8) & 0xFF, (ole >> 16) & 0xFF);
}

QString Text(const PropertyStore& settings, std::u16string_view key) {
  return QString::fromStdU16String(ToText(settings.ReadValue(key, u""), key));
}

std::int32_t Number(const PropertyStore& settings, std::u16string_view key, std::int32_t orElse) {
  return ToInt32(settings.ReadValue(key, orElse), key);
}

// The icon's two images. Qt reads the 24-bit images of the icon file without their mask, so it
// takes the same images from files that carry the mask as transparency.
QIcon WindowIcon() {
  QIcon icon;
  icon.addFile(":/brackwater-16.png", QSize(16, 16));
  icon.addFile(":/brackwater-32.png", QSize(32, 32));
  return icon;
}

QtMessageIcon QtIcon(MessageIcon icon) {
  return icon == MessageIcon::kInformation ? QtMessageIcon::kInformation : QtMessageIcon::kWarning;
}

}  // namespace

// Hands a button's Click on to the window's step.
struct Program::ButtonParts {
  class ClickTo final : public XpBEvents {
   public:
    void Click() override {
      if (step) step();
    }
    std::function<void()> step;
  };

  // The widget belongs to `parent`, which destroys it before these parts go.
  ButtonParts(std::u16string instanceName, QWidget* parent)
      : name(std::move(instanceName)),
        window(*new QtControlWidget(QString::fromStdU16String(name), colors, text, parent)),
        control(window, events) {}

  std::u16string name;
  // The desktop's colours and font, which the button paints with.
  QtSystemColors colors;
  QtTextEngine text;
  QtControlWidget& window;
  ClickTo events;
  XpB control;
};

class Program::Host final : public MainHost {
 public:
  Host(QtWindow& window, QLabel& label1) : window_(window), label1_(label1) {}
  std::int32_t WindowHandle() const override { return window_.Handle(); }
  void SetLabel1(const std::u16string& caption) override {
    label1_.setText(QString::fromStdU16String(caption));
    // The status shows at once, before a long step ends.
    label1_.repaint();
  }
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override {
    ShowQtMessage(&window_, text, title, QtIcon(icon));
  }

 private:
  QtWindow& window_;
  QLabel& label1_;
};

Program::Program(const DesignData& design, FilePicker& picker, MainServices services)
    : dialog_(picker) {
  LoadResources();
  const PropertyStore& settings = design.settings;
  window_ = std::make_unique<QtWindow>(Text(settings, u"Caption"),
                                       QSize(TwipsToPixels(Number(settings, u"ClientWidth", 0)),
                                             TwipsToPixels(Number(settings, u"ClientHeight", 0))),
                                       QPixmap(":/background.gif"), WindowIcon());

  std::vector<std::pair<std::int32_t, QWidget*>> tabOrder;
  for (const DesignControl& control : design.controls) {
    const QRect place = PixelsOf(control.place);
    if (control.kind == u"Label") {
      std::optional<QColor> background;
      if (Number(control.settings, u"BackStyle", 1) != 0) {
        background = ColourOf(Number(control.settings, u"BackColor", 0xC0C0C0));
      }
      QLabel* label = window_->AddLabel(place, Text(control.settings, u"Caption"), background);
      label->setObjectName(QString::fromStdU16String(control.name));
      labels_.emplace_back(control.name, label);
    } else if (control.kind == u"Brackwater.XpB") {
      auto& button =
          *buttons_.emplace_back(std::make_unique<ButtonParts>(control.name, window_.get()));
      QtControlWidget* widget = &button.window;
      widget->setObjectName(QString::fromStdU16String(control.name));
      widget->SetInput(&button.control);
      widget->SetCaptionSource([&xpb = button.control] { return xpb.Caption(); });
      window_->Place(widget, place);
      button.control.LoadFromStore(control.settings);
      tabOrder.emplace_back(control.place.tabIndex, widget);
    } else if (control.kind == u"CommonDialog") {
      const auto& face = CommonDialog::kImage1Pixels;
      auto* widget = new QtDialogControl(QSize(face.width, face.height), window_.get());
      widget->setObjectName(QString::fromStdU16String(control.name));
      widget->SetIcon(QPixmap(":/dialog_control.ico"));
      window_->Place(widget, place);
    } else {
      throw DesignDataError(
          0, "no such kind of control: " + QString::fromStdU16String(control.kind).toStdString());
    }
  }
  std::sort(tabOrder.begin(), tabOrder.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tabOrder.size(); ++i) {
    QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
  }

  host_ = std::make_unique<Host>(*window_, Label(u"Label1"));
  main_ = std::make_unique<Main>(*host_, dialog_, Button(u"Command1"), Button(u"Command2"),
                                 std::move(services));
  buttons_[0]->events.step = [this] { main_->Command1_Click(); };
  buttons_[1]->events.step = [this] { main_->Command2_Click(); };
}

Program::~Program() {
  // The buttons hear that they are going while their window still stands.
  for (auto& button : buttons_) button->control.OnTerminate();
}

QLabel& Program::Label(std::u16string_view name) {
  for (auto& [labelName, label] : labels_) {
    if (labelName == name) return *label;
  }
  throw DesignDataError(0, "the main window has no label " +
                               QString::fromStdU16String(std::u16string(name)).toStdString());
}

XpB& Program::Button(std::u16string_view name) {
  for (auto& button : buttons_) {
    if (button->name == name) return button->control;
  }
  throw DesignDataError(0, "the main window has no button " +
                               QString::fromStdU16String(std::u16string(name)).toStdString());
}

QtControlWidget& Program::ButtonWindow(std::u16string_view name) {
  for (auto& button : buttons_) {
    if (button->name == name) return button->window;
  }
  throw DesignDataError(0, "the main window has no button " +
                               QString::fromStdU16String(std::u16string(name)).toStdString());
}

DesignData MainWindowDesign() {
  LoadResources();
  QFile file(":/main_window.design");
  if (!file.open(QIODevice::ReadOnly)) {
    throw DesignDataError(0, "the program's resources lack the main window's design data");
  }
  const QByteArray bytes = file.readAll();
  return ParseDesignData({bytes.constData(), static_cast<std::size_t>(bytes.size())});
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowQtMessage(activeWindow(), FailureMessage(error.what()), u"Brackwater",
                  QtMessageIcon::kWarning);
    return false;
  }
}

}  // namespace brackwater
