#include "core/codec.h"
#include "core/error.h"
#include "core/settings.h"
#include "i18n/language.h"
#include "printing/amountwords.h"
#include "printing/stationery.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

TextElement Element(const QString &name, TextKind kind, const QString &caption, const QStringList &items = {},
                    const QString &hint = {})
{
    TextElement element;
    element.name = name;
    element.kind = kind;
    element.caption = caption;
    element.items = items;
    element.hint = hint;
    return element;
}

// A small window: a command, a panel without caption, a label, a radio group of three and a grid.
WindowTexts SampleWindow()
{
    WindowTexts texts;
    texts.name = u"frm_Minta"_s;
    texts.caption = u"Minta"_s;
    texts.elements = {
        Element(u"aMegnyit"_s, TextKind::Command, u"Megnyit"_s, {}, u"Fájl megnyitása"_s),
        Element(u"Panel1"_s, TextKind::Panel, QString()),
        Element(u"Label1"_s, TextKind::Caption, u"Név"_s),
        Element(u"RadioGroup1"_s, TextKind::RadioGroup, u"Elválasztó"_s, {u"vessző"_s, u"pontosvessző"_s, u"tab"_s}),
        Element(u"DBGrid1"_s, TextKind::Grid, QString(), {u"név"_s, u"város"_s}),
    };
    return texts;
}

report::Report SampleReport()
{
    report::Report r;
    r.name = u"qrMinta"_s;
    r.title = u"Minta nyomtatás"_s;
    report::Band band;
    report::Item label;
    label.name = u"QRLabel1"_s;
    label.caption = u"részére"_s;
    report::Item skipped = label;
    skipped.name = u"QRLabel2"_s;
    skipped.caption = u"marad"_s;
    skipped.tag = report::kSkipTranslationTag;
    report::Item data;
    data.name = u"QRDBText1"_s;
    data.source = u"Qry"_s;
    data.field = u"ugyfel_nev"_s;
    report::Item page;
    page.name = u"QRSysData1"_s;
    page.caption = u"Oldal "_s;
    page.sysData = report::SysData::PageNumber;
    band.items = {label, skipped, data, page};
    r.bands = {band};
    return r;
}

QString Caption(const WindowTexts &texts, const QString &name)
{
    for (const TextElement &element : texts.elements) {
        if (element.name == name)
            return element.caption;
    }
    return u"<missing>"_s;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_counter = 0;

    QString languageFile(const QString &text)
    {
        const QString fileName = m_dir.filePath(u"lang%1.ini"_s.arg(++m_counter));
        WriteBytes(fileName, ToCp1250(text));
        return fileName;
    }

    QStringList templateLines(const QString &fileName)
    {
        QStringList lines = ReadCp1250Lines(fileName);
        lines.removeAll(QString());
        return lines;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup()
    {
        SetTemplateMode(false);
        SetLanguageSettings(nullptr);
    }

    void windowKeys_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("expected");

        QTest::newRow("value replaces") << u"[frm_Minta]\r\nLabel1.Caption=Name\r\n"_s << u"Label1"_s << u"Name"_s;
        QTest::newRow("empty value empties") << u"[frm_Minta]\r\nLabel1.Caption=\r\n"_s << u"Label1"_s << QString();
        QTest::newRow("missing key keeps") << u"[frm_Minta]\r\nLabel2.Caption=x\r\n"_s << u"Label1"_s << u"Név"_s;
        QTest::newRow("section in other case") << u"[FRM_MINTA]\r\nlabel1.caption = Name \r\n"_s << u"Label1"_s
                                               << u"Name"_s;
        QTest::newRow("quotes removed") << u"[frm_Minta]\r\nLabel1.Caption=\" Name \"\r\n"_s << u"Label1"_s
                                        << u" Name "_s;
        QTest::newRow("line break escape") << u"[frm_Minta]\r\nLabel1.Caption=a\\nb\\\\n\r\n"_s << u"Label1"_s
                                           << u"a\nb\\n"_s;
        QTest::newRow("accented in code page 1250") << u"[frm_Minta]\r\nLabel1.Caption=Őrzött ű\r\n"_s
                                                    << u"Label1"_s << u"Őrzött ű"_s;
        QTest::newRow("captionless panel not read") << u"[frm_Minta]\r\nPanel1.Caption=Panel\r\n"_s << u"Panel1"_s
                                                    << QString();
        QTest::newRow("other window's section") << u"[frm_Masik]\r\nLabel1.Caption=Name\r\n"_s << u"Label1"_s
                                                << u"Név"_s;
    }

    void windowKeys()
    {
        QFETCH(QString, file);
        QFETCH(QString, element);
        QFETCH(QString, expected);
        WindowTexts texts = SampleWindow();
        TranslateWindowTexts(texts, LanguageFile(languageFile(file)));
        QCOMPARE(Caption(texts, element), expected);
    }

    void captionedPanelIsRead()
    {
        WindowTexts texts = SampleWindow();
        texts.elements[1].caption = u"Felirat"_s;
        TranslateWindowTexts(texts, LanguageFile(languageFile(u"[frm_Minta]\r\nPanel1.Caption=Caption\r\n"_s)));
        QCOMPARE(texts.elements[1].caption, u"Caption"_s);
    }

    void everyKindReadsItsKeys()
    {
        WindowTexts texts = SampleWindow();
        TranslateWindowTexts(texts, LanguageFile(languageFile(u"[frm_Minta]\r\nCaption=Sample\r\n"
                                                               "aMegnyit.Caption=Open\r\naMegnyit.Hint=Open a file\r\n"
                                                               "RadioGroup1.Item0=comma\r\nRadioGroup1.Item2=tab!\r\n"
                                                               "RadioGroup1.Caption=Separator\r\n"
                                                               "DBGrid1[1].Caption=town\r\nDBGrid1.Caption=no\r\n"_s)));
        QCOMPARE(texts.caption, u"Sample"_s);
        QCOMPARE(texts.elements[0].caption, u"Open"_s);
        QCOMPARE(texts.elements[0].hint, u"Open a file"_s);
        QCOMPARE(texts.elements[3].items, (QStringList{u"comma"_s, u"pontosvessző"_s, u"tab!"_s}));
        QCOMPARE(texts.elements[3].caption, u"Separator"_s);
        QCOMPARE(texts.elements[4].items, (QStringList{u"név"_s, u"town"_s}));
    }

    void missingOrEmptyLanguageReadsNothing_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("empty path") << QString();
        QTest::newRow("missing file") << u"nincs.ini"_s;
        QTest::newRow("a folder") << u"."_s;
    }

    void missingOrEmptyLanguageReadsNothing()
    {
        QFETCH(QString, language);
        TBeall settings;
        settings.Lang = language.isEmpty() ? QString() : m_dir.filePath(language);
        SetLanguageSettings(&settings);
        WindowTexts texts = SampleWindow();
        texts.name = u"frm_Main"_s;
        WindowTexts before = texts;
        TranslateWindowCall(texts);
        QCOMPARE(WindowKeys(texts), WindowKeys(before));
    }

    void onlyListedWindowsAndReportsAreTranslated()
    {
        TBeall settings;
        settings.Lang = languageFile(u"[frm_Main]\r\nCaption=Main\r\n[frm_Nevjegy]\r\nCaption=About\r\n"
                                     "[qrBoritek]\r\nQRLabel1.Caption=to\r\n[qrAjanlott]\r\nReportTitle=Registered\r\n"_s);
        SetLanguageSettings(&settings);
        WindowTexts main;
        main.name = u"frm_Main"_s;
        WindowTexts about;
        about.name = u"frm_Nevjegy"_s;
        TranslateWindowCall(main);
        TranslateWindowCall(about);
        QCOMPARE(main.caption, u"Main"_s);
        QCOMPARE(about.caption, QString());
        QCOMPARE(MakeBoritek(EnvelopeKind::C6).item(u"QRLabel1"_s)->caption, u"to"_s);
        QCOMPARE(MakeAjanlott().title, u"Boríték nyomtatás"_s);
    }

    // The language file is read once for a run of many jobs, and again only when the choice or
    // the file changes: the same name with the same time and size is not read again.
    void languageFileReadOnce()
    {
        TBeall settings;
        settings.Lang = languageFile(u"[frm_Main]\r\nCaption=Main\r\n"_s);
        SetLanguageSettings(&settings);
        WindowTexts main;
        main.name = u"frm_Main"_s;
        TranslateWindowCall(main);
        QCOMPARE(main.caption, u"Main"_s);
        const QDateTime modified = QFileInfo(settings.Lang).lastModified();
        WriteBytes(settings.Lang, "[frm_Main]\r\nCaption=Niam\r\n");
        {
            QFile file(settings.Lang);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        }
        TranslateWindowCall(main);
        QCOMPARE(main.caption, u"Main"_s);
        WriteBytes(settings.Lang, "[frm_Main]\r\nCaption=Changed\r\n");
        TranslateWindowCall(main);
        QCOMPARE(main.caption, u"Changed"_s);
        settings.Lang = languageFile(u"[frm_Main]\r\nCaption=Other\r\n"_s);
        TranslateWindowCall(main);
        QCOMPARE(main.caption, u"Other"_s);
    }

    void reportKeys()
    {
        report::Report r = SampleReport();
        TranslateReportTexts(r, LanguageFile(languageFile(u"[QRMINTA]\r\nReportTitle=Sample print\r\n"
                                                           "QRLabel1.Caption=to\r\nQRLabel2.Caption=changed\r\n"
                                                           "QRDBText1.Caption=x\r\nQRSysData1.Text=Page \"\r\n"_s)));
        QCOMPARE(r.title, u"Sample print"_s);
        QCOMPARE(r.item(u"QRLabel1"_s)->caption, u"to"_s);
        QCOMPARE(r.item(u"QRLabel2"_s)->caption, u"marad"_s);
        QCOMPARE(r.item(u"QRDBText1"_s)->caption, QString());
        QCOMPARE(r.item(u"QRSysData1"_s)->caption, u"Page \""_s);
        QCOMPARE(ReportKeys(r).size(), 3);
    }

    // The amounts of the cheque and the cash-on-delivery form are set after the translation:
    // a translated design text never replaces them.
    void runTimeTextsStayAfterTranslation()
    {
        TBeall settings;
        settings.Lang = languageFile(u"[qrCsekk]\r\nReportTitle=Cheque\r\nQRLabel1.Caption=1 2 3\r\n"
                                     "QRLabel4.Caption=one thousand\r\n[qrCsekk2]\r\nQRLabel4.Caption=x\r\n"
                                     "[qrUtanvet]\r\nQRLabel4.Caption=y\r\n"_s);
        SetLanguageSettings(&settings);
        const report::Report front = MakeCsekk(1500);
        QCOMPARE(front.title, u"Cheque"_s);
        QCOMPARE(front.item(u"QRLabel1"_s)->caption, AmountInFigures(1500));
        QCOMPARE(front.item(u"QRLabel4"_s)->caption, SzamBetuvel(1500));
        QCOMPARE(MakeCsekk2(u"közlemény"_s).item(u"QRLabel4"_s)->caption, u"közlemény"_s);
        QCOMPARE(MakeUtanvet(2).item(u"QRLabel4"_s)->caption, SzamBetuvel(2));
    }

    void templateArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("templateMode");
        QTest::newRow("kiir") << QStringList{u"kartevo"_s, u"kiir"_s} << true;
        QTest::newRow("kiir and more") << QStringList{u"kartevo"_s, u"kiir"_s, u"x"_s} << true;
        QTest::newRow("capital K") << QStringList{u"kartevo"_s, u"Kiir"_s} << false;
        QTest::newRow("upper case") << QStringList{u"kartevo"_s, u"KIIR"_s} << false;
        QTest::newRow("second argument") << QStringList{u"kartevo"_s, u"x"_s, u"kiir"_s} << false;
        QTest::newRow("with blank") << QStringList{u"kartevo"_s, u"kiir "_s} << false;
        QTest::newRow("none") << QStringList{u"kartevo"_s} << false;
    }

    void templateArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, templateMode);
        QCOMPARE(IsTemplateArgument(arguments), templateMode);
    }

    void templateKeepsWindowKeysAndRewritesReportKeys()
    {
        const QString fileName = m_dir.filePath(u"twice/lang.ini"_s);
        QDir().mkpath(QFileInfo(fileName).path());
        WriteBytes(fileName, ToCp1250(u"[frm_Minta]\r\nLabel1.Caption=Name\r\nPanel1.Caption=\r\n"_s));

        WindowTexts texts = SampleWindow();
        texts.elements[1].caption = u"később"_s; // an empty value is filled in
        texts.elements[3].caption = u"több\nsorban"_s;
        WriteWindowTemplate(texts, fileName);
        report::Report r = SampleReport();
        WriteReportTemplate(r, fileName);

        // Second run: other texts; the window keys stay, the report keys are rewritten.
        texts.caption = u"Más"_s;
        texts.elements[2].caption = u"Más név"_s;
        WriteWindowTemplate(texts, fileName);
        r.title = u"Új cím"_s;
        WriteReportTemplate(r, fileName);

        QCOMPARE(templateLines(fileName),
                 (QStringList{u"[frm_Minta]"_s, u"Label1.Caption=Name"_s, u"Panel1.Caption=később"_s,
                              u"Caption=Minta"_s, u"aMegnyit.Caption=Megnyit"_s, u"aMegnyit.Hint=Fájl megnyitása"_s,
                              u"RadioGroup1.Caption=több\\nsorban"_s, u"RadioGroup1.Item0=vessző"_s,
                              u"RadioGroup1.Item1=pontosvessző"_s, u"RadioGroup1.Item2=tab"_s,
                              u"DBGrid1[0].Caption=név"_s, u"DBGrid1[1].Caption=város"_s, u"[qrMinta]"_s,
                              u"ReportTitle=Új cím"_s, u"QRLabel1.Caption=részére"_s, u"QRSysData1.Text=Oldal "_s}));
        // What the template holds reads back as the texts themselves.
        WindowTexts read = SampleWindow();
        read.elements[3].caption.clear();
        TranslateWindowTexts(read, LanguageFile(fileName));
        QCOMPARE(read.elements[3].caption, u"több\nsorban"_s);
    }

    void templateThatCannotBeWritten()
    {
        const QString fileName = m_dir.filePath(u"nincs/lang.ini"_s);
        for (int report = 0; report < 2; ++report) {
            try {
                if (report)
                    WriteReportTemplate(SampleReport(), fileName);
                else
                    WriteWindowTemplate(SampleWindow(), fileName);
                QFAIL("writing into a missing folder must fail");
            } catch (const Error &error) {
                QCOMPARE(error.message(), u"Unable to write to %1"_s.arg(fileName));
            }
        }
    }

    void escapeRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << u"abc"_s << u"abc"_s;
        QTest::newRow("LF") << u"a\nb"_s << u"a\\nb"_s;
        QTest::newRow("CR LF") << u"a\r\nb"_s << u"a\\nb"_s;
        QTest::newRow("backslash n") << u"C:\\new"_s << u"C:\\\\new"_s;
    }

    void escapeRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(EscapeLangValue(text), written);
        QString expected = text;
        expected.replace(u"\r\n"_s, u"\n"_s);
        QCOMPARE(UnescapeLangValue(written), expected);
    }

    void languageChoice()
    {
        const QString data = m_dir.filePath(u"choice"_s);
        QVERIFY(LanguageChoices(data).isEmpty());
        QDir().mkpath(data + u"/Lang/Folder.ini"_s);
        for (const char *name : {"English.ini", "Deutsch.INI", ".hidden.ini", "notes.txt"})
            WriteBytes(data + u"/Lang/"_s + QLatin1String(name), "[frm_Main]\r\n");
        QStringList choices = LanguageChoices(data);
        choices.sort();
        QCOMPARE(choices, (QStringList{u"Deutsch.INI"_s, u"English.ini"_s}));
        QCOMPARE(LanguageChoiceIndex(choices, u"/x/Lang/english.INI"_s), 1);
        QCOMPARE(LanguageChoiceIndex(choices, u"/x/Lang/Francais.ini"_s), 0);
        QCOMPARE(LanguageChoiceIndex(choices, QString()), 0);
        QCOMPARE(LanguageFilePath(data, u"English.ini"_s), data + u"/Lang/English.ini"_s);
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
