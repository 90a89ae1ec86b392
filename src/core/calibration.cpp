#include "core/calibration.h"

#include "core/inifile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kartevo {

const std::array<PrintFamilyInfo, 9> &PrintFamilies()
{
    static const std::array<PrintFamilyInfo, 9> families{{
        {PrintFamily::C6, u"C6", u"c6", u"Boríték (C6)"},
        {PrintFamily::LA4, u"LA4", u"la4", u"Boríték (LA/4)"},
        {PrintFamily::LC5, u"LC5", u"lc5", u"Boríték (LC5)"},
        {PrintFamily::Registered, u"Registered", u"registered", u"Ajánlott szelvény"},
        {PrintFamily::ChequeFront, u"ChequeFront", u"cheque-front", u"Csekk előlap"},
        {PrintFamily::ChequeBack, u"ChequeBack", u"cheque-back", u"Csekk hátlap"},
        {PrintFamily::Cod, u"Cod", u"cod", u"Utánvét szelvény"},
        {PrintFamily::Labels, u"Labels", u"labels", u"Címkeív"},
        {PrintFamily::List, u"List", u"list", u"Ügyféllista"},
    }};
    return families;
}

const PrintFamilyInfo *FindPrintFamily(PrintFamily family)
{
    for (const PrintFamilyInfo &info : PrintFamilies()) {
        if (info.family == family)
            return &info;
    }
    return nullptr;
}

std::optional<PrintFamily> PrintFamilyByBatchName(const QString &name)
{
    for (const PrintFamilyInfo &info : PrintFamilies()) {
        if (name.compare(info.batchName, Qt::CaseInsensitive) == 0)
            return info.family;
    }
    return std::nullopt;
}

std::optional<double> CheckedOffset(double mm)
{
    if (!std::isfinite(mm))
        return std::nullopt;
    // Whole tenths, so that 20.04 is 20.0 and 1.25 is a plain step.
    const double rounded = std::round(mm / kOffsetStepMm) / 10.0;
    if (std::fabs(rounded) > kMaxOffsetMm)
        return std::nullopt;
    return rounded == 0 ? 0.0 : rounded; // no "-0"
}

PrintOffset Calibration::of(PrintFamily family) const
{
    return offsets.at(size_t(family));
}

void Calibration::set(PrintFamily family, PrintOffset offset)
{
    if (family == PrintFamily::None)
        return;
    const auto held = [](double mm) {
        return CheckedOffset(std::clamp(mm, -kMaxOffsetMm, kMaxOffsetMm)).value_or(0);
    };
    offsets.at(size_t(family)) = {held(offset.x), held(offset.y)};
}

void Calibration::setAll(PrintOffset offset)
{
    for (const PrintFamilyInfo &info : PrintFamilies())
        set(info.family, offset);
}

bool Calibration::isNull() const
{
    for (const PrintOffset &offset : offsets) {
        if (!offset.isNull())
            return false;
    }
    return true;
}

namespace {

QString KeyOf(const PrintFamilyInfo &info, char axis)
{
    return info.key.toString() + QLatin1Char(axis);
}

} // namespace

Calibration ReadCalibration(const IniFile &ini)
{
    const QString section = kCalibrationSection.toString();
    Calibration calibration;
    for (const PrintFamilyInfo &info : PrintFamilies()) {
        PrintOffset offset;
        for (const char axis : {'X', 'Y'}) {
            const QString key = KeyOf(info, axis);
            const QString text = ini.readString(section, key, QString());
            if (text.isEmpty())
                continue;
            const double nan = std::numeric_limits<double>::quiet_NaN();
            const std::optional<double> value = CheckedOffset(ini.readFloat(section, key, nan));
            if (!value)
                calibration.problems.append(key + QLatin1Char('=') + text);
            (axis == 'X' ? offset.x : offset.y) = value.value_or(0);
        }
        calibration.offsets.at(size_t(info.family)) = offset;
    }
    return calibration;
}

void WriteCalibration(IniFile &ini, const Calibration &calibration)
{
    const QString section = kCalibrationSection.toString();
    if (calibration.isNull() && !ini.sections().contains(section, Qt::CaseInsensitive))
        return;
    for (const PrintFamilyInfo &info : PrintFamilies()) {
        const PrintOffset offset = calibration.of(info.family);
        ini.writeFloat(section, KeyOf(info, 'X'), offset.x);
        ini.writeFloat(section, KeyOf(info, 'Y'), offset.y);
    }
}

void SaveCalibration(const QString &iniFileName, const Calibration &calibration)
{
    IniFile ini(iniFileName);
    WriteCalibration(ini, calibration);
    ini.save();
}

QString TakeCalibrationProblems(Calibration &calibration)
{
    const QStringList problems = std::exchange(calibration.problems, {});
    if (problems.isEmpty())
        return {};
    return QStringLiteral("A nyomtatás igazításának ezek az értékei hibásak vagy kívül esnek a "
                          "-20 és +20 mm közötti tartományon, helyettük 0 érvényes: %1")
        .arg(problems.join(QStringLiteral(", ")));
}

std::optional<PrintOffset> ParsePrintOffset(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return std::nullopt;
    std::array<double, 2> values{};
    for (int i = 0; i < 2; ++i) {
        bool ok = false;
        const double value = parts.at(i).trimmed().toDouble(&ok);
        const std::optional<double> checked = ok ? CheckedOffset(value) : std::nullopt;
        if (!checked)
            return std::nullopt;
        values.at(size_t(i)) = *checked;
    }
    return PrintOffset{values[0], values[1]};
}

QString FormatOffsetMm(double mm)
{
    QString text = QString::number(mm, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
    if (text == QLatin1String("-0,0"))
        text = QStringLiteral("0,0");
    if (mm > 0 && text != QLatin1String("0,0"))
        text.prepend(QLatin1Char('+'));
    return text;
}

} // namespace kartevo
