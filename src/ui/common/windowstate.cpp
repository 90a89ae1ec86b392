#include "ui/common/windowstate.h"

#include "core/settings.h"
#include "ui/common/application.h"

#include <QLabel>
#include <QLayout>
#include <QWidget>

namespace kartevo {

void RestoreWindowPos(QWidget *window, const QString &iniFileName)
{
    if (iniFileName.isEmpty())
        return;
    int left = 10, top = 10;
    RunCommand(window, [&] { LoadWindowPos(iniFileName, window->objectName(), left, top); });
    // The dialog keeps its size; only the position is pulled onto the screen.
    int width = window->width(), height = window->height();
    ClampWindowRect(left, top, width, height, DesktopWorkArea());
    window->move(left, top);
}

void StoreWindowPos(QWidget *window, const QString &iniFileName)
{
    if (iniFileName.isEmpty())
        return;
    RunCommand(window, [&] { SaveWindowPos(iniFileName, window->objectName(), window->x(), window->y()); });
}

void RestoreWindowRect(QWidget *window, const QString &iniFileName, const QRect &workArea)
{
    if (iniFileName.isEmpty())
        return;
    int left = window->x(), top = window->y(), width = window->width(), height = window->height();
    RunCommand(window, [&] {
        LoadWindowRect(iniFileName, window->objectName(), left, top, width, height, workArea);
    });
    window->move(left, top);
    window->resize(width, height);
}

void StoreWindowRect(QWidget *window, const QString &iniFileName)
{
    if (iniFileName.isEmpty())
        return;
    RunCommand(window, [&] {
        SaveWindowRect(iniFileName, window->objectName(), window->x(), window->y(), window->width(),
                       window->height());
    });
}

void FitPlacedLabel(QLabel *label)
{
    const QWidget *parent = label->parentWidget();
    const bool placedByHand = !parent || !parent->layout() || parent->layout()->indexOf(label) < 0;
    if (!placedByHand || label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
        return;
    const QSize needs = label->sizeHint();
    if (needs.width() > label->width())
        label->resize(needs.width(), qMax(label->height(), needs.height()));
}

void ApplyFontSize(QWidget *window, int pointSize)
{
    if (pointSize <= 0)
        return;
    QFont sized = window->font();
    sized.setPointSize(pointSize);
    window->setFont(sized);
    // A larger font must not cut the captions of labels placed by hand.
    for (QLabel *label : window->findChildren<QLabel *>())
        FitPlacedLabel(label);
}

} // namespace kartevo
