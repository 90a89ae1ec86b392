#include "i18n/language.h"

#include "core/error.h"
#include "core/folders.h"
#include "core/helpers.h"
#include "core/inifile.h"
#include "core/settings.h"

#include <QDateTime>
#include <QFileInfo>

namespace kartevo {

namespace {

const QString kCaption = QStringLiteral(".Caption");

QString ItemKey(const QString &name, int i)
{
    return name + QStringLiteral(".Item") + QString::number(i);
}

QString ColumnKey(const QString &name, int i)
{
    return name + u'[' + QString::number(i) + QStringLiteral("].Caption");
}

bool IsTranslatedItem(const report::Item &item)
{
    return item.kind == report::ItemKind::Text && item.tag != report::kSkipTranslationTag
           && (item.sysData != report::SysData::None || item.source.isEmpty());
}

QString ReportItemKey(const report::Item &item)
{
    return item.name + (item.sysData != report::SysData::None ? QStringLiteral(".Text") : kCaption);
}

IniFile OpenTemplate(const QString &templateFile)
{
    try {
        return IniFile(templateFile);
    } catch (const Error &) {
        throw Error(QStringLiteral("Unable to write to %1").arg(templateFile));
    }
}

void SaveTemplate(const IniFile &file)
{
    try {
        file.save();
    } catch (const Error &) {
        throw Error(QStringLiteral("Unable to write to %1").arg(file.fileName()));
    }
}

bool g_templateMode = false;
const TBeall *g_languageSettings = nullptr;

} // namespace

QString EscapeLangValue(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\') {
            result += QStringLiteral("\\\\");
        } else if (c == u'\r') {
            result += QStringLiteral("\\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            result += QStringLiteral("\\n");
        } else {
            result += c;
        }
    }
    return result;
}

QString UnescapeLangValue(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value.at(i + 1);
            if (next == u'n') {
                result += u'\n';
                ++i;
                continue;
            }
            if (next == u'\\') {
                result += u'\\';
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------

LanguageFile::LanguageFile(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    try {
        m_ini = std::make_unique<IniFile>(fileName);
    } catch (const Error &) {
        m_ini.reset();
    }
}

LanguageFile::~LanguageFile() = default;

QString LanguageFile::read(const QString &section, const QString &key, const QString &def) const
{
    if (!m_ini || !m_ini->valueExists(section, key))
        return def;
    return UnescapeLangValue(m_ini->readString(section, key, def));
}

// ---------------------------------------------------------------------------------------------

void TranslateWindowTexts(WindowTexts &texts, const LanguageFile &file)
{
    if (!file.isOpen())
        return;
    const QString &section = texts.name;
    texts.caption = file.read(section, QStringLiteral("Caption"), texts.caption);
    for (TextElement &element : texts.elements) {
        const QString &name = element.name;
        switch (element.kind) {
        case TextKind::Command:
            element.caption = file.read(section, name + kCaption, element.caption);
            element.hint = file.read(section, name + QStringLiteral(".Hint"), element.hint);
            break;
        case TextKind::Panel:
            if (!element.caption.isEmpty())
                element.caption = file.read(section, name + kCaption, element.caption);
            break;
        case TextKind::Caption:
            element.caption = file.read(section, name + kCaption, element.caption);
            break;
        case TextKind::RadioGroup:
            for (int i = 0; i < element.items.size(); ++i)
                element.items[i] = file.read(section, ItemKey(name, i), element.items.at(i));
            element.caption = file.read(section, name + kCaption, element.caption);
            break;
        case TextKind::Grid:
            for (int i = 0; i < element.items.size(); ++i)
                element.items[i] = file.read(section, ColumnKey(name, i), element.items.at(i));
            break;
        case TextKind::List:
            for (int i = 0; i < element.items.size(); ++i)
                element.items[i] = file.read(section, ItemKey(name, i), element.items.at(i));
            break;
        }
    }
}

void TranslateReportTexts(report::Report &report, const LanguageFile &file)
{
    if (!file.isOpen())
        return;
    report.title = file.read(report.name, QStringLiteral("ReportTitle"), report.title);
    for (report::Band &band : report.bands) {
        for (report::Item &item : band.items) {
            if (IsTranslatedItem(item))
                item.caption = file.read(report.name, ReportItemKey(item), item.caption);
        }
    }
}

QList<QPair<QString, QString>> WindowKeys(const WindowTexts &texts)
{
    QList<QPair<QString, QString>> keys{{QStringLiteral("Caption"), texts.caption}};
    for (const TextElement &element : texts.elements) {
        const QString &name = element.name;
        switch (element.kind) {
        case TextKind::Command:
            keys.append({name + kCaption, element.caption});
            keys.append({name + QStringLiteral(".Hint"), element.hint});
            break;
        case TextKind::Panel:
        case TextKind::Caption:
            keys.append({name + kCaption, element.caption});
            break;
        case TextKind::RadioGroup:
            keys.append({name + kCaption, element.caption});
            for (int i = 0; i < element.items.size(); ++i)
                keys.append({ItemKey(name, i), element.items.at(i)});
            break;
        case TextKind::Grid:
            for (int i = 0; i < element.items.size(); ++i)
                keys.append({ColumnKey(name, i), element.items.at(i)});
            break;
        case TextKind::List:
            for (int i = 0; i < element.items.size(); ++i)
                keys.append({ItemKey(name, i), element.items.at(i)});
            break;
        }
    }
    return keys;
}

QList<QPair<QString, QString>> ReportKeys(const report::Report &report)
{
    QList<QPair<QString, QString>> keys{{QStringLiteral("ReportTitle"), report.title}};
    for (const report::Band &band : report.bands) {
        for (const report::Item &item : band.items) {
            if (IsTranslatedItem(item))
                keys.append({ReportItemKey(item), item.caption});
        }
    }
    return keys;
}

void WriteWindowTemplate(const WindowTexts &texts, const QString &templateFile)
{
    IniFile file = OpenTemplate(templateFile);
    for (const auto &[key, text] : WindowKeys(texts)) {
        if (file.readString(texts.name, key, QString()).isEmpty())
            file.writeString(texts.name, key, EscapeLangValue(text));
    }
    SaveTemplate(file);
}

void WriteReportTemplate(const report::Report &report, const QString &templateFile)
{
    IniFile file = OpenTemplate(templateFile);
    for (const auto &[key, text] : ReportKeys(report))
        file.writeString(report.name, key, EscapeLangValue(text));
    SaveTemplate(file);
}

// ---------------------------------------------------------------------------------------------

const QStringList &TranslatedWindows()
{
    // Every window named here calls TranslateForm when it is shown.
    static const QStringList windows{
        QStringLiteral("frm_Main"),
        QStringLiteral("frm_Szerkeszt"),
        QStringLiteral("frm_Felado"),
        QStringLiteral("frm_Felado_Szerkeszt"),
        QStringLiteral("frm_Irsz"),
        QStringLiteral("frm_Irsz_Szerkeszt"),
        QStringLiteral("frm_Csoport"),
        QStringLiteral("frm_Csoport_Szerkeszt"),
        QStringLiteral("frm_Cimke"),
        QStringLiteral("frm_Cimke_Szerkeszt"),
        QStringLiteral("frm_CimkeNyom"),
        QStringLiteral("frm_Csekk"),
        QStringLiteral("frm_Beallit"),
        QStringLiteral("frm_Readme"),
        QStringLiteral("frm_Import"),
        QStringLiteral("frm_Hatarolt"),
        QStringLiteral("frm_Grid2Html"),
        QStringLiteral("frm_SQL"),
        QStringLiteral("frm_Cimellenorzes"),
        QStringLiteral("frm_Igazitas"),
        QStringLiteral("frm_Mentesek"),
    };
    return windows;
}

const QStringList &TranslatedReports()
{
    static const QStringList reports{
        QStringLiteral("qrBoritek"), QStringLiteral("qrBoritek2"), QStringLiteral("qrBoritek3"),
        QStringLiteral("qrCsekk"),   QStringLiteral("qrCsekk2"),   QStringLiteral("qrUtanvet"),
    };
    return reports;
}

bool IsTemplateArgument(const QStringList &arguments)
{
    return arguments.size() > 1 && arguments.at(1) == QLatin1String("kiir");
}

void SetTemplateMode(bool on)
{
    g_templateMode = on;
}

bool TemplateMode()
{
    return g_templateMode;
}

QString TemplateFileName()
{
    return AppFolders().DataFolder + QStringLiteral("/lang.ini");
}

void SetLanguageSettings(const TBeall *settings)
{
    g_languageSettings = settings;
}

const TBeall *LanguageSettings()
{
    return g_languageSettings;
}

QString CurrentLanguageFile()
{
    return g_languageSettings ? g_languageSettings->Lang : QString();
}

namespace {

// The language file of the current choice, read once: a print run of thousands of envelopes
// translates every one of them. It is read again when the choice changes, or when the file was
// changed on the disk since (its time and size).
const LanguageFile &CurrentLanguage(const QString &fileName)
{
    struct Cached {
        QString name;
        QDateTime modified;
        qint64 size = -1;
        std::unique_ptr<LanguageFile> file;
    };
    static Cached cached;
    const QFileInfo info(fileName);
    const QDateTime modified = info.lastModified();
    const qint64 size = info.size();
    if (!cached.file || cached.name != fileName || cached.modified != modified || cached.size != size) {
        cached.file = std::make_unique<LanguageFile>(fileName);
        cached.name = fileName;
        cached.modified = modified;
        cached.size = size;
    }
    return *cached.file;
}

} // namespace

bool TranslateWindowCall(WindowTexts &texts)
{
    if (!TranslatedWindows().contains(texts.name))
        return false;
    if (TemplateMode()) {
        WriteWindowTemplate(texts, TemplateFileName());
        return false;
    }
    const QString language = CurrentLanguageFile();
    if (language.isEmpty())
        return false;
    TranslateWindowTexts(texts, CurrentLanguage(language));
    return true;
}

void TranslateReport(report::Report &report)
{
    if (!TranslatedReports().contains(report.name))
        return;
    if (TemplateMode()) {
        WriteReportTemplate(report, TemplateFileName());
        return;
    }
    const QString language = CurrentLanguageFile();
    if (!language.isEmpty())
        TranslateReportTexts(report, CurrentLanguage(language));
}

QStringList LanguageChoices(const QString &dataFolder)
{
    QStringList choices;
    ListFiles(dataFolder + QStringLiteral("/Lang/*.ini"), choices);
    // Hidden files are not offered.
    choices.removeIf([](const QString &name) { return name.startsWith(u'.'); });
    return choices;
}

int LanguageChoiceIndex(const QStringList &choices, const QString &currentLanguageFile)
{
    const QString current = QFileInfo(currentLanguageFile).fileName();
    for (int i = 0; i < choices.size(); ++i) {
        if (!current.isEmpty() && choices.at(i).compare(current, Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

QString LanguageFilePath(const QString &dataFolder, const QString &choice)
{
    return dataFolder + QStringLiteral("/Lang/") + choice;
}

} // namespace kartevo
