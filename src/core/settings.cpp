#include "core/settings.h"

#include "core/inifile.h"

#include <QFileInfo>

#include <array>
#include <type_traits>
#include <variant>

namespace kartevo {

namespace {

using Field = std::variant<bool TBeall::*, int TBeall::*, double TBeall::*, QString TBeall::*>;

// Every setting's place in the file, in the order they are written. The defaults are the
// initial values of TBeall.
struct SettingKey {
    QStringView section;
    QStringView key;
    Field field;
};

constexpr std::array<SettingKey, 33> kSettingKeys{{
    {u"Screen", u"FullScreen", &TBeall::FullScreen},
    {u"Screen", u"FontSize", &TBeall::FontSize},
    {u"Database", u"Path", &TBeall::Path},
    {u"Defaults", u"HtmlPath", &TBeall::HtmlPath},
    {u"Defaults", u"Sender", &TBeall::Sender},
    {u"Defaults", u"Only1Sender", &TBeall::Only1Sender},
    {u"Defaults", u"UsePrinter", &TBeall::UsePrinter},
    {u"Defaults", u"SameChar", &TBeall::SameChar},
    {u"Label", u"Left", &TBeall::LabelLeft},
    {u"Label", u"Top", &TBeall::LabelTop},
    {u"Label", u"Height", &TBeall::LabelHeight},
    {u"Label", u"Column", &TBeall::LabelColumn},
    {u"Label", u"Count", &TBeall::LabelCount},
    {u"Label", u"Format", &TBeall::LabelFormat},
    {u"Label", u"Font", &TBeall::LabelFont},
    {u"Label", u"Size", &TBeall::LabelSize},
    {u"Label", u"Bold", &TBeall::LabelBold},
    {u"Label", u"Italic", &TBeall::LabelItalic},
    {u"Label", u"Underline", &TBeall::LabelUnderline},
    {u"Label", u"l1Left", &TBeall::l1Left},
    {u"Label", u"l1Top", &TBeall::l1Top},
    {u"Label", u"l2Left", &TBeall::l2Left},
    {u"Label", u"l2Top", &TBeall::l2Top},
    {u"Label", u"l3Left", &TBeall::l3Left},
    {u"Label", u"l3Top", &TBeall::l3Top},
    {u"Label", u"l4Left", &TBeall::l4Left},
    {u"Label", u"l4Top", &TBeall::l4Top},
    {u"Label", u"l5Left", &TBeall::l5Left},
    {u"Label", u"l5Top", &TBeall::l5Top},
    {u"Pictures", u"i1", &TBeall::i1},
    {u"Pictures", u"i2", &TBeall::i2},
    {u"Pictures", u"i3", &TBeall::i3},
    {u"Lang", u"Lang", &TBeall::Lang},
}};

const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
constexpr int kDefaultWindowPos = 10;

QString InFolder(const QString &folder, QStringView name)
{
    QString path = folder;
    if (!path.endsWith(u'/'))
        path += u'/';
    return path.append(name);
}

} // namespace

TBeall LoadSettings(const QString &iniFileName, const QString &dataFolder)
{
    const IniFile ini(iniFileName);
    TBeall settings;
    for (const SettingKey &entry : kSettingKeys) {
        const QString section = entry.section.toString();
        const QString key = entry.key.toString();
        std::visit(
            [&](auto member) {
                auto &value = settings.*member;
                using T = std::remove_reference_t<decltype(value)>;
                if constexpr (std::is_same_v<T, bool>)
                    value = ini.readBool(section, key, value);
                else if constexpr (std::is_same_v<T, int>)
                    value = ini.readInteger(section, key, value);
                else if constexpr (std::is_same_v<T, double>)
                    value = ini.readFloat(section, key, value);
                else
                    value = ini.readString(section, key, value);
            },
            entry.field);
    }
    settings.calibration = ReadCalibration(ini);
    // Every window takes this size: 0 or 5000 would leave no text to read.
    settings.FontSize = qBound(kMinFontSize, settings.FontSize, kMaxFontSize);
    if (settings.Path.isEmpty())
        settings.Path = InFolder(dataFolder, u"Kartevo.sqb");
    if (settings.HtmlPath.isEmpty() || !QFileInfo(settings.HtmlPath).isDir())
        settings.HtmlPath = InFolder(dataFolder, u"Html");
    return settings;
}

void SaveSettings(const TBeall &settings, const QString &iniFileName)
{
    IniFile ini(iniFileName);
    for (const SettingKey &entry : kSettingKeys) {
        const QString section = entry.section.toString();
        const QString key = entry.key.toString();
        std::visit(
            [&](auto member) {
                const auto &value = settings.*member;
                using T = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<T, bool>)
                    ini.writeBool(section, key, value);
                else if constexpr (std::is_same_v<T, int>)
                    ini.writeInteger(section, key, value);
                else if constexpr (std::is_same_v<T, double>)
                    ini.writeFloat(section, key, value);
                else
                    ini.writeString(section, key, value);
            },
            entry.field);
    }
    WriteCalibration(ini, settings.calibration);
    ini.save();
}

void LoadWindowPos(const QString &ini, const QString &section, int &left, int &top)
{
    const IniFile file(ini);
    left = file.readInteger(section, kLeft, kDefaultWindowPos);
    top = file.readInteger(section, kTop, kDefaultWindowPos);
}

void SaveWindowPos(const QString &ini, const QString &section, int left, int top)
{
    IniFile file(ini);
    file.writeInteger(section, kLeft, left);
    file.writeInteger(section, kTop, top);
    file.save();
}

void LoadWindowRect(const QString &ini, const QString &section, int &left, int &top, int &width,
                    int &height, const QRect &workArea)
{
    const IniFile file(ini);
    left = file.readInteger(section, kLeft, kDefaultWindowPos);
    top = file.readInteger(section, kTop, kDefaultWindowPos);
    // A size of nothing or less is no size: the window keeps the one it has.
    if (const int saved = file.readInteger(section, kWidth, width); saved > 0)
        width = saved;
    if (const int saved = file.readInteger(section, kHeight, height); saved > 0)
        height = saved;
    ClampWindowRect(left, top, width, height, workArea);
}

void SaveWindowRect(const QString &ini, const QString &section, int left, int top, int width,
                    int height)
{
    IniFile file(ini);
    file.writeInteger(section, kLeft, left);
    file.writeInteger(section, kTop, top);
    file.writeInteger(section, kWidth, width);
    file.writeInteger(section, kHeight, height);
    file.save();
}

namespace {

// One axis of ClampWindowRect. The sums are taken in 64 bits: the file may hold any int.
void ClampSpan(int &pos, int &size, int areaStart, int areaSize)
{
    const qint64 start = areaStart;
    const qint64 end = start + areaSize; // the first pixel past the work area
    qint64 p = pos;
    qint64 s = qMax(size, 1);
    if (p > end)
        p = start;
    if (p < start)
        p = start;
    if (p + s > end) {
        if (s < areaSize) {
            p = end - s;
        } else {
            p = start;
            s = areaSize;
        }
    }
    pos = int(p);
    size = int(s);
}

} // namespace

void ClampWindowRect(int &left, int &top, int &width, int &height, const QRect &workArea)
{
    ClampSpan(left, width, workArea.x(), workArea.width());
    ClampSpan(top, height, workArea.y(), workArea.height());
}

} // namespace kartevo
