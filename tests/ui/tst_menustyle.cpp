// The program's menu painting, checked on rendered pixels.
#include "ui/common/menustyle.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QTest>

using namespace kartevo;

namespace {

const QColor kIconColour(200, 0, 0);

QIcon SolidIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(kIconColour);
    return QIcon(pixmap);
}

bool IsDark(const QColor &colour, int limit)
{
    return colour.red() < limit && colour.green() < limit && colour.blue() < limit;
}

// A window with a menu bar and a drop-down of every kind of item.
struct MenuWindow {
    QMainWindow window;
    QMenu *menu = nullptr;
    QAction *mark = nullptr;
    QAction *separator = nullptr;
    QAction *disabled = nullptr;
    QAction *checked = nullptr;
    QAction *plain = nullptr;
    QAction *ampersand = nullptr;

    MenuWindow()
    {
        menu = window.menuBar()->addMenu(QStringLiteral("&Jelölés"));
        mark = menu->addAction(SolidIcon(), QStringLiteral("&Jelöl"));
        mark->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
        separator = menu->addSeparator();
        disabled = menu->addAction(SolidIcon(), QStringLiteral("Letiltott"));
        disabled->setEnabled(false);
        checked = menu->addAction(SolidIcon(), QStringLiteral("Bejelölt"));
        checked->setCheckable(true);
        checked->setChecked(true);
        plain = menu->addAction(QStringLiteral("Mindet jelöl"));
        ampersand = menu->addAction(QStringLiteral("Mindet &jelöl"));
        window.resize(400, 300);
        OwnerDrawMenus(&window);
    }

    QImage grabMenu()
    {
        if (!menu->isVisible()) {
            menu->popup(QPoint(10, 10));
            if (!QTest::qWaitForWindowExposed(menu))
                return {};
        }
        return menu->grab().toImage();
    }
    QRect rect(QAction *action) { return menu->actionGeometry(action); }
};

} // namespace

class TestMenuStyle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ownerDrawMenusSwitchesEveryMenuOnce()
    {
        MenuWindow w;
        auto *context = new QMenu(&w.window);
        QCOMPARE(w.menu->style(), MenuStyle::instance());
        QCOMPARE(w.window.menuBar()->style(), MenuStyle::instance());
        QVERIFY(context->style() != MenuStyle::instance());
        OwnerDrawMenus(&w.window);
        OwnerDrawMenus(&w.window);
        QCOMPARE(context->style(), MenuStyle::instance());
        QVERIFY(w.window.style() != MenuStyle::instance()); // only the menus
    }

    void itemsGetFortyAndFourPixelsMore()
    {
        MenuWindow w;
        QStyleOptionMenuItem option;
        option.initFrom(w.menu);
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.text = QStringLiteral("Jelöl\tCtrl+M");
        QStyle *base = MenuStyle::instance()->baseStyle();
        const QSize proposed = base->sizeFromContents(QStyle::CT_MenuItem, &option, QSize(80, 16), w.menu);
        QCOMPARE(MenuStyle::instance()->sizeFromContents(QStyle::CT_MenuItem, &option, QSize(80, 16), w.menu),
                 proposed + QSize(40, 4));
        QCOMPARE(MenuStyle::instance()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, w.menu), 0);
    }

    void captions()
    {
        QCOMPARE(MenuCaption(QStringLiteral("&Jelöl")), QStringLiteral("Jelöl"));
        QCOMPARE(MenuCaption(QStringLiteral("Mindet &jelöl\tCtrl+M")), QStringLiteral("Mindet jelöl"));
        QCOMPARE(MenuCaption(QStringLiteral("A && B")), QStringLiteral("A  B"));
    }

    void plainItemIconCaptionAndShortcut()
    {
        MenuWindow w;
        const QImage image = w.grabMenu();
        const QRect r = w.rect(w.mark);
        const QColor background(222, 222, 222);
        QCOMPARE(QColor(image.pixel(r.left() + 1, r.top() + 1)), background);
        QCOMPARE(QColor(image.pixel(r.left() + 2, r.top() + 2)), kIconColour);
        QCOMPARE(QColor(image.pixel(r.left() + 17, r.top() + 17)), kIconColour);
        QCOMPARE(QColor(image.pixel(r.left() + 18, r.top() + 18)), background);

        // The shortcut ends 4 pixels left of the item's right edge.
        int rightmostInk = -1;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y)
                if (IsDark(QColor(image.pixel(x, y)), 160))
                    rightmostInk = x;
        QVERIFY(rightmostInk > r.right() - 10);
        QVERIFY(rightmostInk <= r.right() - 4);

        // An ampersand is neither shown nor underlines anything: both captions look the same.
        const QRect a = w.rect(w.plain);
        const QRect b = w.rect(w.ampersand);
        QCOMPARE(image.copy(b.adjusted(0, 0, -1, -1)), image.copy(a.adjusted(0, 0, -1, -1)));
    }

    void highlightedItemIsFramedAndItsIconMoves()
    {
        MenuWindow w;
        w.grabMenu();
        w.menu->setActiveAction(w.mark);
        const QImage image = w.grabMenu();
        const QRect r = w.rect(w.mark);
        QCOMPARE(QColor(image.pixel(r.left(), r.top())), QColor(128, 128, 128));
        QCOMPARE(QColor(image.pixel(r.right(), r.bottom())), QColor(128, 128, 128));
        QCOMPARE(QColor(image.pixel(r.left() + 1, r.top() + 1)), kIconColour); // one up and left
        QCOMPARE(QColor(image.pixel(r.left() + 17, r.top() + 17)), QColor(222, 170, 141));
        QCOMPARE(QColor(image.pixel(r.right() - 2, r.top() + 2)), QColor(222, 170, 141));
    }

    void separatorIsOneGreyLine()
    {
        MenuWindow w;
        const QImage image = w.grabMenu();
        const QRect r = w.rect(w.separator);
        const int middle = r.top() + r.height() / 2;
        QCOMPARE(QColor(image.pixel(r.left() + 2, middle)), QColor(162, 162, 162));
        QCOMPARE(QColor(image.pixel(r.right() - 2, middle)), QColor(162, 162, 162));
        QCOMPARE(QColor(image.pixel(r.left() + 1, middle)), QColor(222, 222, 222));
        for (int y = r.top(); y <= r.bottom(); ++y) {
            if (y != middle)
                QCOMPARE(QColor(image.pixel(r.left() + 10, y)), QColor(222, 222, 222));
        }
    }

    void disabledItemHasGreyTextAndItsIcon()
    {
        MenuWindow w;
        const QImage image = w.grabMenu();
        const QRect r = w.rect(w.disabled);
        QCOMPARE(QColor(image.pixel(r.left() + 2, r.top() + 2)), kIconColour); // drawn enabled
        bool grey = false;
        for (int x = r.left() + 22; x <= r.right(); ++x) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const QColor colour(image.pixel(x, y));
                QVERIFY(!IsDark(colour, 100));
                grey = grey || IsDark(colour, 170);
            }
        }
        QVERIFY(grey);
    }

    void checkedItemShowsTheBulletInsteadOfItsIcon()
    {
        MenuWindow w;
        const QImage image = w.grabMenu();
        const QRect r = w.rect(w.checked);
        QVERIFY(QColor(image.pixel(r.left() + 2, r.top() + 2)) != kIconColour);
        int ink = 0;
        for (int x = r.left() + 7; x < r.left() + 20; ++x)
            for (int y = r.top() + 4; y < r.bottom(); ++y)
                ink += IsDark(QColor(image.pixel(x, y)), 100) ? 1 : 0;
        QVERIFY(ink >= 9);
    }

    void menuBarItems()
    {
        MenuWindow w;
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QMenuBar *bar = w.window.menuBar();
        const QRect r = bar->actionGeometry(w.menu->menuAction());
        const QColor face = bar->palette().color(QPalette::Button);
        QImage image = bar->grab().toImage();
        QCOMPARE(QColor(image.pixel(r.left() + 3, r.top() + 3)), face);
        QCOMPARE(QColor(image.pixel(r.left() + 1, r.top() + 1)), face);
        bool ink = false;
        for (int x = r.left() + 7; x < r.right(); ++x)
            ink = ink || IsDark(QColor(image.pixel(x, r.top() + 3 + QFontMetrics(bar->font()).ascent() - 2)), 100);
        QVERIFY(ink);

        bar->setActiveAction(w.menu->menuAction());
        image = bar->grab().toImage();
        QCOMPARE(QColor(image.pixel(r.left() + 2, r.top() + 2)), QColor(128, 128, 128));
        QCOMPARE(QColor(image.pixel(r.left() + 3, r.top() + 3)), QColor(222, 170, 141));
        QCOMPARE(QColor(image.pixel(r.left() + 1, r.top() + 1)), face);
        w.menu->close();
    }
};

QTEST_MAIN(TestMenuStyle)
#include "tst_menustyle.moc"
