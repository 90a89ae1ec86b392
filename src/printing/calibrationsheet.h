#pragma once

#include "core/calibration.h"
#include "printing/report.h"

namespace kartevo {

// The paper of a family as its layout has it: size, orientation and margins.
report::Page FamilyPage(PrintFamily family);

// Where the two crosshairs of a calibration sheet lie, in millimetres from the paper's top left
// corner: 20 mm in from the top left and from the bottom right corner.
constexpr double kCrosshairInsetMm = 20.0;

// The calibration sheet of a family: on that family's paper, a millimetre ruler along the top
// and left edges from the paper's corner (ticks every millimetre, longer every 5 and 10, numbers
// every 10), two crosshairs with their coordinates beside them, and the instruction. The sheet
// belongs to no family, so it prints without any offset: a shift measured on it is the printer's
// own. Items: "Cross1H"/"Cross1V" and "Cross2H"/"Cross2V" are the crosshair lines,
// "Cross1Caption" and "Cross2Caption" their coordinates.
report::Report MakeCalibrationSheet(PrintFamily family);

// The caption of a crosshair: "X = 20,0 mm, Y = 20,0 mm".
QString CrosshairCaption(double x, double y);

} // namespace kartevo
