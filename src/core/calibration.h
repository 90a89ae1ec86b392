#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

namespace kartevo {

class IniFile;

// Printer alignment. Printers feed envelopes and pre-printed forms with a shift of a few
// millimetres, different for every paper path; each stationery family has its own offset, by
// which the renderer moves everything it draws on that family's pages.

// The stationery families, each with its own offset. None: a report that is never moved (the
// calibration sheet itself).
enum class PrintFamily { None, C6, LA4, LC5, Registered, ChequeFront, ChequeBack, Cod, Labels, List };

// An offset in millimetres: positive x moves right, positive y down.
struct PrintOffset {
    double x = 0;
    double y = 0;

    bool isNull() const { return x == 0 && y == 0; }
    bool operator==(const PrintOffset &) const = default;
};

// Offsets are held within ±kMaxOffsetMm, in steps of kOffsetStepMm.
constexpr double kMaxOffsetMm = 20.0;
constexpr double kOffsetStepMm = 0.1;

// A family as the program names it: the key stem in the configuration file (C6 -> C6X, C6Y),
// the name on the batch tool's command line, and the caption in the alignment dialog.
struct PrintFamilyInfo {
    PrintFamily family;
    QStringView key;
    QStringView batchName;
    QStringView caption;
};

// Every family except None, in the order of the alignment dialog and the configuration file.
const std::array<PrintFamilyInfo, 9> &PrintFamilies();
const PrintFamilyInfo *FindPrintFamily(PrintFamily family);
// The family of a batch name (c6, la4, …), compared without regard to case.
std::optional<PrintFamily> PrintFamilyByBatchName(const QString &name);

// A value rounded to the offset step; nothing when it is not a finite number within ±20 mm.
std::optional<double> CheckedOffset(double mm);

// The offsets of every family (all 0 by default).
struct Calibration {
    std::array<PrintOffset, 10> offsets{}; // by PrintFamily; None stays 0

    // The values of the configuration file that could not be used (unreadable or out of range)
    // and were taken as 0, as "Key=value". Whoever reports them clears them, so that they are
    // reported once.
    QStringList problems;

    PrintOffset of(PrintFamily family) const;
    // Sets a family's offset; the values are held within ±20 mm and rounded to the step.
    void set(PrintFamily family, PrintOffset offset);
    // The same offset for every family (a one-run override).
    void setAll(PrintOffset offset);
    bool isNull() const;

    bool operator==(const Calibration &other) const { return offsets == other.offsets; }
};

// The Calibration section of the configuration file: keys C6X, C6Y, LA4X, … ListY, in
// millimetres, written as the other floating settings are. Missing keys and empty values are 0;
// unreadable or out-of-range values are 0 and listed in Calibration::problems.
inline constexpr QStringView kCalibrationSection = u"Calibration";
Calibration ReadCalibration(const IniFile &ini);
// Writes every key of the section when any offset is set or the file already has the section;
// a file that never had offsets stays without it.
void WriteCalibration(IniFile &ini, const Calibration &calibration);
// Reads the file, writes the section and saves the file at once. Throws Error naming the file.
void SaveCalibration(const QString &iniFileName, const Calibration &calibration);

// The message that reports Calibration::problems (empty when there are none); the problems are
// cleared, so that they are reported once.
QString TakeCalibrationProblems(Calibration &calibration);

// "DX,DY" in millimetres with a decimal point ("1.5,-2"); nothing when it is not two numbers
// within ±20 mm.
std::optional<PrintOffset> ParsePrintOffset(const QString &text);

// An offset value as shown to the user: "+1,5", "-2,0", "0,0" (one decimal, decimal comma).
QString FormatOffsetMm(double mm);

} // namespace kartevo
