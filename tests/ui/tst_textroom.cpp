// Every text a window shows has room for itself: each translated window shown with its built-in
// texts and with the shipped English file, the program catalog's column titles too. A label,
// button, check box or radio button narrower than its text, a column title cut by its column
// and a window narrower than its title (with room for the title bar's icon and buttons) fail.
#include "demowindow.h"
#include "i18n/language.h"
#include "tools/catalog.h"
#include "translatedwindows.h"
#include "ui/common/application.h"
#include "ui/tools/frm_programok.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QToolButton>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

// What the title bar needs beside the title: the window icon and up to three buttons.
constexpr int kTitleBarExtras = 120;

QString Plain(QString text)
{
    // A mnemonic's "&" takes no room; "&&" is one "&".
    text.replace(u"&&"_s, u"\x01"_s);
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

bool Shown(const QWidget *widget, const QWidget *window)
{
    return widget->isVisibleTo(window) && widget->width() > 0;
}

// The widest line of a text in the widget's font.
int TextWidth(const QWidget *widget, const QString &text)
{
    int widest = 0;
    for (const QString &line : Plain(text).split(u'\n'))
        widest = qMax(widest, widget->fontMetrics().horizontalAdvance(line));
    return widest;
}

// The room a push button's text needs: the text, its icon and the style's margins.
int ButtonNeeds(const QPushButton *button)
{
    int needs = TextWidth(button, button->text());
    if (!button->icon().isNull())
        needs += button->iconSize().width() + 4;
    if (button->menu())
        needs += button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, button);
    QStyleOptionButton option;
    option.initFrom(button);
    return needs + button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button)
        + 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
}

// The texts of a shown window that have less room than they need, one line each.
QStringList CutTexts(QWidget *window)
{
    QStringList cut;
    const auto check = [&](const QWidget *widget, const QString &text, int needs, int has) {
        if (needs > has)
            cut.append(u"%1 %2 \"%3\": needs %4 px, has %5"_s.arg(window->objectName(), widget->objectName(), text)
                           .arg(needs)
                           .arg(has));
    };
    const int titleNeeds = QFontMetrics(QApplication::font()).horizontalAdvance(window->windowTitle()) + kTitleBarExtras;
    check(window, window->windowTitle(), titleNeeds, window->width());
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!Shown(widget, window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (!label->wordWrap() && label->pixmap().isNull() && !label->text().isEmpty()
                && label->textFormat() != Qt::RichText && label->minimumWidth() != 1)
                check(label, label->text(), label->sizeHint().width(), label->width());
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            if (!button->text().isEmpty())
                check(button, button->text(), ButtonNeeds(button), button->width());
        } else if (auto *tool = qobject_cast<QToolButton *>(widget)) {
            if (tool->toolButtonStyle() != Qt::ToolButtonIconOnly && !tool->text().isEmpty())
                check(tool, tool->text(), tool->sizeHint().width(), tool->width());
        } else if (qobject_cast<QCheckBox *>(widget) || qobject_cast<QRadioButton *>(widget)) {
            auto *box = static_cast<QAbstractButton *>(widget);
            check(box, box->text(), box->sizeHint().width(), box->width());
        } else if (auto *grid = qobject_cast<QTableView *>(widget)) {
            QHeaderView *header = grid->horizontalHeader();
            for (int i = 0; grid->model() && i < grid->model()->columnCount(); ++i) {
                if (header->isSectionHidden(i) || header->sectionSize(i) == 0)
                    continue;
                const QString title = grid->model()->headerData(i, Qt::Horizontal).toString();
                // The title's text and the header's margins (its sort indicator is not shown).
                const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
                check(grid, title, header->fontMetrics().horizontalAdvance(title) + margin, header->sectionSize(i));
            }
        }
    }
    return cut;
}

} // namespace

class TestTextRoom : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Tfrm_Main::SetSplashEnabled(false);
        InstallApplicationLook(*qApp);
    }

    void translatedWindows_data()
    {
        QTest::addColumn<bool>("english");
        QTest::newRow("built-in") << false;
        QTest::newRow("English") << true;
    }

    void translatedWindows()
    {
        QFETCH(bool, english);
        const QByteArray ini = english ? "[Lang]\r\nLang=" KARTEVO_BUILD_SHARE_DIR "/Lang/English.ini\r\n" : QByteArray();
        DemoWindow demo({}, ini);
        demo.showActive();
        QStringList cut = CutTexts(&demo.w());
        const QHash<QString, WindowMaker> makers = TranslatedWindowMakers();
        for (const QString &name : TranslatedWindows()) {
            if (name == u"frm_Main"_s || WindowsNotBuiltYet().contains(name))
                continue;
            QVERIFY2(makers.contains(name), qPrintable(name));
            std::unique_ptr<QWidget> window = makers.value(name)(&demo.w(), demo.w().session());
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            // A window with pages shows each of them.
            for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
                for (int page = 0; page < tabs->count(); ++page) {
                    tabs->setCurrentIndex(page);
                    cut += CutTexts(window.get());
                }
            }
            cut += CutTexts(window.get());
            window->close();
        }
        cut.removeDuplicates();
        for (const QString &line : std::as_const(cut))
            qWarning("%s", qPrintable(line));
        QVERIFY(cut.isEmpty());
        QVERIFY(demo.prompter.errors.isEmpty());
    }

    void catalog()
    {
        DemoWindow demo;
        QVERIFY(QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/programok.csv"), CatalogFileName(demo.folders)));
        demo.showActive();
        Tfrm_Programok window(&demo.w(), demo.w().session());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList cut = CutTexts(&window);
        for (const QString &line : cut)
            qWarning("%s", qPrintable(line));
        QVERIFY(cut.isEmpty());
    }
};

QTEST_MAIN(TestTextRoom)
#include "tst_textroom.moc"
