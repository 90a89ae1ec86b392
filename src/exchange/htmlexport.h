#pragma once

#include "exchange/exportfields.h"

#include <QDateTime>
#include <QList>
#include <QString>

class QIODevice;

namespace kartevo {

class DataSet;

// One grid column as the page shows it.
struct HtmlColumn {
    QString title;
    int width = 0; // pixels on screen
    FieldAlign align = FieldAlign::Left;
    int column = -1; // the data set field it shows
};

// The page's file in the HTML folder: the title made a file name (SafeFileName) + ".htm".
QString HtmlDefaultPath(const QString &htmlFolder, const QString &title);

// A column's share of the grid's width in per cent, rounded to the nearest whole number with
// halves to the even one.
int HtmlWidthShare(int width, int gridWidth);

// Writes the page: the title, a table with a grey title row and one row per record with every
// value as the grid shows it, the number of records, the time of writing and the program's name.
// Titles and values have & < > and " written as entities. The lines are code page 1250, each
// ended by CR LF; a character the code page cannot hold becomes a numeric character reference,
// so nothing is lost. progress hears of every tenth record.
ExportResult WriteHtmlPage(QIODevice &out, const DataSet &dataSet, const QString &title,
                           const QList<HtmlColumn> &columns, int gridWidth, const QDateTime &when,
                           const ExportProgress &progress = {});

} // namespace kartevo
