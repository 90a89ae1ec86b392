#pragma once

#include "printing/report.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace kartevo {

class IniFile;
struct TBeall;

// Language files replace the built-in Hungarian captions of windows and reports. A language
// file is an INI file with the rules of the configuration file (code page 1250, names without
// regard to case, values trimmed and unquoted, at most 2047 characters), one section per window
// or report, named after it (frm_Main, qrBoritek).
//
// A value is one line: a line break in a text is written as the two characters \n, a
// backslash as \\ (any other backslash stays as it is).
QString EscapeLangValue(const QString &text);
QString UnescapeLangValue(const QString &value);

// The kinds of translatable elements of a window and the keys each one has:
//   Command     name.Caption, name.Hint
//   Panel       name.Caption (read only when the panel shows a caption)
//   Caption     name.Caption (label, button, check box, tab page)
//   RadioGroup  name.Item0 … name.Item<n-1>, name.Caption
//   Grid        name[0].Caption … name[n-1].Caption (column titles)
//   List        name.Item0 … name.Item<n-1> (the fixed entries of a drop-down list)
enum class TextKind { Command, Panel, Caption, RadioGroup, Grid, List };

struct TextElement {
    QString name;
    TextKind kind = TextKind::Caption;
    QString caption;
    QString hint;      // commands
    QStringList items; // radio-group and list items, grid column titles
};

// The translatable texts of one window, its elements in component order (containers before
// the controls they hold).
struct WindowTexts {
    QString name;    // the section: the window's objectName
    QString caption; // the window title ("Caption")
    QList<TextElement> elements;
};

// A language file opened for one translation call. An empty name, a missing or an unreadable
// file reads nothing: every read gives its default.
class LanguageFile {
public:
    explicit LanguageFile(const QString &fileName);
    ~LanguageFile();
    bool isOpen() const { return m_ini != nullptr; }
    // The value with its escapes undone, or def when the key is missing. A key present with an
    // empty value gives an empty text.
    QString read(const QString &section, const QString &key, const QString &def) const;

private:
    std::unique_ptr<IniFile> m_ini;
};

// Every read takes the current text as its default.
void TranslateWindowTexts(WindowTexts &texts, const LanguageFile &file);
// "ReportTitle", then every label (name.Caption) and system-data item (name.Text) in band
// order; items tagged kSkipTranslationTag are left alone.
void TranslateReportTexts(report::Report &report, const LanguageFile &file);

// The template writer. A window writes each of its keys only where the template holds no value
// (or an empty one); a report writes all of its keys, replacing what is there. New keys go to the
// end of their section in the order written. The file is written through a temporary file;
// throws Error "Unable to write to <file>" when it cannot be written.
void WriteWindowTemplate(const WindowTexts &texts, const QString &templateFile);
void WriteReportTemplate(const report::Report &report, const QString &templateFile);

// Every key a window writes to the template, in order, with its text.
QList<QPair<QString, QString>> WindowKeys(const WindowTexts &texts);
QList<QPair<QString, QString>> ReportKeys(const report::Report &report);

// ---------------------------------------------------------------------------------------------
// The running program's language
// ---------------------------------------------------------------------------------------------

// The windows translated when shown and the reports translated when created. Every other
// window and report keeps its built-in texts.
const QStringList &TranslatedWindows();
const QStringList &TranslatedReports();

// Template mode: the program's first argument is exactly "kiir" (lower case).
bool IsTemplateArgument(const QStringList &arguments);
void SetTemplateMode(bool on);
bool TemplateMode();
// The template file: DataFolder/lang.ini.
QString TemplateFileName();

// The settings whose Lang names the language file in use (the open session's); null: none.
void SetLanguageSettings(const TBeall *settings);
const TBeall *LanguageSettings();
QString CurrentLanguageFile();

// One translation call of a window: nothing for a window that is not translated; in template
// mode its keys are written to the template and nothing changes; otherwise the texts are read
// from the current language file. Returns whether texts may have changed (and must be applied).
bool TranslateWindowCall(WindowTexts &texts);
// The same for a report, right after it is created.
void TranslateReport(report::Report &report);

// Files of DataFolder/Lang offered by the language choice, in file-system order, and the entry
// of the current language file (names compared without regard to case; 0 when not there).
QStringList LanguageChoices(const QString &dataFolder);
int LanguageChoiceIndex(const QStringList &choices, const QString &currentLanguageFile);
QString LanguageFilePath(const QString &dataFolder, const QString &choice);

} // namespace kartevo
