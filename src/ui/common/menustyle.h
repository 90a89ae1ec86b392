#pragma once

#include <QColor>
#include <QProxyStyle>

class QMenu;
class QWidget;

namespace kartevo {

// The program's one flat menu look: warm highlight with a grey frame, icons, right-aligned
// shortcut texts, no access-key underlines, 40 + 4 pixels more room per item.
namespace menucolors {
inline const QColor Highlight{222, 170, 141};
inline const QColor Frame{128, 128, 128};          // also the text of disabled items
inline const QColor DropDownBackground{222, 222, 222};
inline const QColor Separator{162, 162, 162};
} // namespace menucolors

// The painter of menu bars and drop-down menus. One instance serves every window.
class MenuStyle final : public QProxyStyle {
    Q_OBJECT
public:
    static MenuStyle *instance();

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    MenuStyle();
    void drawMenuItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
    void drawMenuBarItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
};

// Switches every menu bar and menu of the window (context and toolbar drop-down menus too) to
// the program's menu painting in the platform's menu font, whatever font the window has.
// Windows call it when shown; calling it again changes nothing.
void OwnerDrawMenus(QWidget *window);
// The same for one menu that has no window as its parent.
void OwnerDrawMenu(QMenu *menu);

// The caption of a menu item as shown: every "&" removed.
QString MenuCaption(const QString &text);

} // namespace kartevo
