// xpb-render: paints one button, or a sheet of every style in every state, to a PNG file, the
// same pixels the program shows, without a window.

#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/gui/device_context.h"
#include "platform/gui/headless_host.h"
#include "platform/qt/qt_picture.h"
#include "platform/qt/qt_system_colors.h"
#include "platform/qt/qt_text_engine.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

constexpr const char* kUsage =
    "usage: xpb-render [--style N] [--size WxH] [--caption TEXT]\n"
    "                  [--state rest|hover|focus|focus-hover|down|disabled] [--show-focus-rect]\n"
    "                  [--picture FILE] [--picture-position N] [--mask-color 0xBBGGRR]\n"
    "                  [--use-mask-color] [--xp-default-colors] [--xp-hover 0xBBGGRR]\n"
    "                  [--xp-pressed 0xBBGGRR] [--palette classic|desktop] -o OUT.png\n"
    "       xpb-render --gallery [--picture FILE] [--palette classic|desktop] -o SHEET.png\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct State {
  const char* name;
  std::uint8_t hasFocus;
  std::uint8_t isDown;
  std::uint8_t isOver;
  bool enabled;
};

// A press is made over the button and takes the focus.
constexpr State kStates[] = {
    {"rest", 0, 0, 0, true},        {"hover", 0, 0, 1, true}, {"focus", 1, 0, 0, true},
    {"focus-hover", 1, 0, 1, true}, {"down", 1, 1, 1, true},  {"disabled", 0, 0, 0, false},
};

struct Options {
  std::int32_t style = XpBStyle::kClassic;
  int width = 153;
  int height = 41;
  QString caption;
  const State* state = &kStates[0];
  bool showFocusRect = false;
  QString picture;
  std::int32_t picturePosition = 0;
  std::optional<std::int32_t> maskColor;
  bool useMaskColor = false;
  bool xpDefaultColors = false;
  std::int32_t xpHover = 0;
  std::int32_t xpPressed = 0;
  bool desktopPalette = false;
  bool gallery = false;
  QString output;
};

std::int32_t Number(const QString& text, const char* what) {
  bool ok = false;
  const qlonglong value = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                              ? text.mid(2).toLongLong(&ok, 16)
                              : text.toLongLong(&ok, 10);
  if (!ok || value < INT32_MIN || value > UINT32_MAX) {
    throw UsageError(std::string(what) + " is no 32-bit number: " + text.toStdString());
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

Options Parse(const QStringList& args) {
  Options o;
  const auto value = [&](int& i) -> const QString& {
    if (i + 1 >= args.size()) throw UsageError(args[i].toStdString() + " needs a value");
    return args[++i];
  };
  for (int i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == u"--style") {
      o.style = Number(value(i), "--style");
    } else if (arg == u"--size") {
      const QStringList parts = value(i).split(u'x');
      if (parts.size() != 2) throw UsageError("--size takes WxH");
      o.width = Number(parts[0], "the width");
      o.height = Number(parts[1], "the height");
      if (o.width < 0 || o.height < 0 || o.width > 10000 || o.height > 10000) {
        throw UsageError("--size takes sides of 0 to 10000 pixels");
      }
    } else if (arg == u"--caption") {
      o.caption = value(i);
    } else if (arg == u"--state") {
      const QString& name = value(i);
      o.state = nullptr;
      for (const State& state : kStates) {
        if (name == QLatin1String(state.name)) o.state = &state;
      }
      if (o.state == nullptr) throw UsageError("no such state: " + name.toStdString());
    } else if (arg == u"--show-focus-rect") {
      o.showFocusRect = true;
    } else if (arg == u"--picture") {
      o.picture = value(i);
    } else if (arg == u"--picture-position") {
      o.picturePosition = Number(value(i), "--picture-position");
    } else if (arg == u"--mask-color") {
      o.maskColor = Number(value(i), "--mask-color");
    } else if (arg == u"--use-mask-color") {
      o.useMaskColor = true;
    } else if (arg == u"--xp-default-colors") {
      o.xpDefaultColors = true;
    } else if (arg == u"--xp-hover") {
      o.xpHover = Number(value(i), "--xp-hover");
    } else if (arg == u"--xp-pressed") {
      o.xpPressed = Number(value(i), "--xp-pressed");
    } else if (arg == u"--palette") {
      const QString& palette = value(i);
      if (palette != u"classic" && palette != u"desktop") {
        throw UsageError("--palette takes classic or desktop");
      }
      o.desktopPalette = palette == u"desktop";
    } else if (arg == u"--gallery") {
      o.gallery = true;
    } else if (arg == u"-o") {
      o.output = value(i);
    } else {
      throw UsageError("unknown argument: " + arg.toStdString());
    }
  }
  if (o.output.isEmpty()) throw UsageError("no output file (-o OUT.png)");
  return o;
}

PicturePtr Load(const QString& file) {
  QString error;
  PicturePtr picture = LoadPicture(file, &error);
  if (picture == nullptr) throw std::runtime_error(file.toStdString() + ": " + error.toStdString());
  return picture;
}

QImage ToQImage(const Image& image) {
  if (image.pixels.empty()) return QImage(image.width, image.height, QImage::Format_RGB32);
  return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                image.width * 4, QImage::Format_RGB32)
      .copy();
}

// One button painted as the options say, in one state.
QImage Render(const Options& o, const State& state, const PicturePtr& picture,
              const SystemColors& colors, TextEngine& text) {
  HeadlessControlHost host(u"Command1", colors, text, o.width, o.height);
  host.SetYield([] { QCoreApplication::processEvents(); });
  XpBEvents events;
  XpB button(host, events);
  host.SetInput(&button);
  button.SetButtonStyle(o.style);
  button.SetCaption(o.caption.toStdU16String());
  button.SetShowFocusRect(o.showFocusRect);
  button.SetPicturePosition(o.picturePosition);
  if (o.maskColor) button.SetMaskColor(*o.maskColor);
  button.SetUseMaskColor(o.useMaskColor);
  button.SetXPDefaultColors(o.xpDefaultColors);
  button.SetXPColor_Hover(o.xpHover);
  button.SetXPColor_Pressed(o.xpPressed);
  if (picture != nullptr) button.SetPicture(picture);
  host.SetEnabled(state.enabled);
  button.OnResize();
  button.SetInputFlags(state.hasFocus, state.isDown, state.isOver);
  return ToQImage(button.Surface());
}

// Every style down, every state across, each with a caption and a picture.
QImage Gallery(Options o, const PicturePtr& picture, const SystemColors& colors, TextEngine& text) {
  constexpr int kGap = 12;
  constexpr int kLabelWidth = 70;
  constexpr int kLabelHeight = 20;
  const struct {
    XpBStyle style;
    const char* name;
  } styles[] = {{XpBStyle::kClassic, "0 classic"},
                {XpBStyle::kFlat, "1 flat"},
                {XpBStyle::kFlatDefault, "2 flat"},
                {XpBStyle::kXPFace, "3 XP"}};
  const int rows = static_cast<int>(std::size(styles));
  o.caption = QStringLiteral("&Open");
  o.picturePosition = 1;
  o.showFocusRect = true;
  o.xpDefaultColors = true;
  const int columns = static_cast<int>(std::size(kStates));
  QImage sheet(kLabelWidth + columns * (o.width + kGap) + kGap,
               kLabelHeight + rows * (o.height + kGap) + kGap, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  painter.setPen(Qt::black);
  for (int column = 0; column < columns; ++column) {
    painter.drawText(QRect(kLabelWidth + column * (o.width + kGap), 0, o.width, kLabelHeight),
                     Qt::AlignCenter, QLatin1String(kStates[column].name));
  }
  for (int row = 0; row < rows; ++row) {
    o.style = styles[row].style;
    const int y = kLabelHeight + row * (o.height + kGap);
    painter.drawText(QRect(kGap, y, kLabelWidth - kGap, o.height), Qt::AlignVCenter,
                     QLatin1String(styles[row].name));
    for (int column = 0; column < columns; ++column) {
      painter.drawImage(kLabelWidth + column * (o.width + kGap), y,
                        Render(o, kStates[column], picture, colors, text));
    }
  }
  return sheet;
}

int Run(const QStringList& arguments) {
  const Options o = Parse(arguments);
  const ClassicColors classic{};
  const QtSystemColors desktop;
  const SystemColors& colors = o.desktopPalette ? static_cast<const SystemColors&>(desktop)
                                                : static_cast<const SystemColors&>(classic);
  QtTextEngine text;
  QString pictureFile = o.picture;
  if (o.gallery && pictureFile.isEmpty()) {
    pictureFile = QStringLiteral(BRACKWATER_RESOURCES "/brackwater-32.png");
  }
  const PicturePtr picture = pictureFile.isEmpty() ? nullptr : Load(pictureFile);
  const QImage image =
      o.gallery ? Gallery(o, picture, colors, text) : Render(o, *o.state, picture, colors, text);
  if (!image.save(o.output, "PNG")) {
    throw std::runtime_error("cannot write " + o.output.toStdString());
  }
  return 0;
}

}  // namespace
}  // namespace brackwater

int main(int argc, char** argv) {
  // No display is needed: the offscreen platform gives fonts, pictures and PNG writing.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Taken before Qt sees them: it would take --style for its own.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QGuiApplication app(argc, argv);
  try {
    return brackwater::Run(arguments);
  } catch (const brackwater::UsageError& error) {
    std::fprintf(stderr, "xpb-render: %s\n%s", error.what(), brackwater::kUsage);
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "xpb-render: %s\n", error.what());
    return 1;
  }
}
