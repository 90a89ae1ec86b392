#include "ui/common/menustyle.h"

#include "core/helpers.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionMenuItem>

namespace kartevo {

namespace {

constexpr int kExtraWidth = 40;
constexpr int kExtraHeight = 4;

// The shortcut text of an item: from the item's action when it can be found (so that the
// text reads "Ctrl+M", "Ins" in every language), otherwise what the menu put after the tab.
QString ShortcutText(const QStyleOptionMenuItem *item, const QWidget *widget)
{
    if (const auto *menu = qobject_cast<const QMenu *>(widget)) {
        if (const QAction *action = menu->actionAt(item->rect.center()); action && !action->shortcut().isEmpty())
            return action->shortcut().toString(QKeySequence::PortableText);
    }
    const qsizetype tab = item->text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : item->text.mid(tab + 1);
}

bool HasWingdings()
{
    static const bool has = QFontDatabase::families().contains(QStringLiteral("Wingdings"));
    return has;
}

} // namespace

MenuStyle::MenuStyle() = default;

MenuStyle *MenuStyle::instance()
{
    static QPointer<MenuStyle> style;
    if (!style) {
        style = new MenuStyle;
        style->setParent(qApp);
    }
    return style;
}

QString MenuCaption(const QString &text)
{
    QString caption = text.left(text.indexOf(QLatin1Char('\t')));
    caption.remove(QLatin1Char('&'));
    return caption;
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    switch (element) {
    case CE_MenuItem:
        drawMenuItem(option, painter, widget);
        return;
    case CE_MenuBarItem:
        drawMenuBarItem(option, painter, widget);
        return;
    case CE_MenuBarEmptyArea:
        painter->fillRect(option->rect, option->palette.color(QPalette::Button));
        return;
    case CE_MenuEmptyArea:
        painter->fillRect(option->rect, menucolors::DropDownBackground);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                              const QWidget *widget) const
{
    switch (element) {
    case PE_PanelMenu:
        painter->fillRect(option->rect, menucolors::DropDownBackground);
        return;
    case PE_FrameMenu:
        painter->save();
        painter->setPen(menucolors::Frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    case PE_PanelMenuBar:
        painter->fillRect(option->rect, option->palette.color(QPalette::Button));
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void MenuStyle::drawMenuItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item)
        return;
    const QRect r = item->rect;
    const int L = r.left(), T = r.top(), R = r.left() + r.width(), B = r.top() + r.height();
    const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
    const bool highlighted = !separator && item->state.testFlag(State_Selected);

    painter->save();
    int offset = 0;
    if (highlighted) {
        painter->fillRect(r, menucolors::Highlight);
        painter->setPen(menucolors::Frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        offset = -1;
    } else {
        painter->fillRect(r, menucolors::DropDownBackground);
    }

    if (separator) {
        const int middle = T + (B - T) / 2;
        painter->fillRect(QRect(QPoint(L + 2, middle), QPoint(R - 2 - 1, middle)), menucolors::Separator);
        painter->restore();
        return;
    }

    painter->setFont(item->font);
    painter->setPen(item->state.testFlag(State_Enabled) ? QColor(Qt::black) : menucolors::Frame);
    const QFontMetrics metrics(item->font);
    const int lineHeight = metrics.height();
    const QString caption = MenuCaption(item->text);
    painter->drawText(QRect(L + 22, T + 4, qMax(0, R - L - 26), lineHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);

    const QString shortcut = ShortcutText(item, widget);
    if (!shortcut.isEmpty()) {
        const int width = metrics.horizontalAdvance(shortcut);
        painter->drawText(QRect(R - 4 - width, T + 4, width, lineHeight),
                          Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, shortcut);
    }

    const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    if (checked) {
        // The filled round bullet of the symbol font, or the same dot drawn when it is missing.
        if (HasWingdings()) {
            QFont symbols(QStringLiteral("Wingdings"));
            symbols.setPointSizeF(item->font.pointSizeF() > 0 ? item->font.pointSizeF() : 8);
            painter->setFont(symbols);
            painter->drawText(QPoint(L + 8, T + 5 + QFontMetrics(symbols).ascent()), QStringLiteral("l"));
        } else {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setBrush(painter->pen().color());
            painter->drawEllipse(QRectF(L + 8, T + 6, 7, 7));
        }
    } else if (!item->icon.isNull()) {
        const QPixmap icon = item->icon.pixmap(QSize(16, 16), painter->device()->devicePixelRatioF(),
                                               QIcon::Normal);
        painter->drawPixmap(QRect(L + 2 + offset, T + 2 + offset, 16, 16), icon);
    }
    painter->restore();
}

void MenuStyle::drawMenuBarItem(const QStyleOption *option, QPainter *painter, const QWidget *) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item)
        return;
    const QRect r = item->rect;
    painter->save();
    const bool highlighted = item->state.testFlag(State_Selected) || item->state.testFlag(State_Sunken);
    if (highlighted) {
        const QRect inner = ShrinkRect(ShrinkRect(r));
        painter->fillRect(inner, menucolors::Highlight);
        painter->setPen(menucolors::Frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(inner.adjusted(0, 0, -1, -1));
    } else {
        painter->fillRect(r, item->palette.color(QPalette::Button));
    }
    painter->setFont(item->font);
    painter->setPen(item->state.testFlag(State_Enabled) ? QColor(Qt::black) : menucolors::Frame);
    painter->drawText(QRect(r.left() + 7, r.top() + 3, qMax(0, r.width() - 7), r.height() - 3),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, MenuCaption(item->text));
    painter->restore();
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                  const QWidget *widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_MenuItem) {
        result += QSize(kExtraWidth, kExtraHeight);
    } else if (type == CT_MenuBarItem) {
        // Room for the caption at 7 pixels from the left and as much on the right.
        if (const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option))
            result.setWidth(qMax(result.width(),
                                 QFontMetrics(item->font).horizontalAdvance(MenuCaption(item->text)) + 14));
    }
    return result;
}

int MenuStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                         QStyleHintReturn *returnData) const
{
    if (hint == SH_UnderlineShortcut)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

namespace {

// The platform's menu font, the same for the menu bar and the drop-down menus. Every property
// counts as set, so that nothing of the window's font (its size) shows through.
QFont MenuFont()
{
    QFont font = QApplication::font("QMenu");
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

// One menu bar or menu in the program's painting and the menu font.
void OwnerDraw(QWidget *menuWidget)
{
    if (menuWidget->style() != MenuStyle::instance())
        menuWidget->setStyle(MenuStyle::instance());
    menuWidget->setFont(MenuFont());
}

} // namespace

void OwnerDrawMenu(QMenu *menu)
{
    if (menu)
        OwnerDraw(menu);
}

void OwnerDrawMenus(QWidget *window)
{
    if (!window)
        return;
    for (QMenuBar *bar : window->findChildren<QMenuBar *>())
        OwnerDraw(bar);
    for (QMenu *menu : window->findChildren<QMenu *>())
        OwnerDrawMenu(menu);
}

} // namespace kartevo
