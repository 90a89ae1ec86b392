#include "ui/common/translation.h"

#include "ui/common/application.h"
#include "ui/common/windowstate.h"

#include <QAbstractItemModel>
#include <QDialog>
#include <QTimer>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include <functional>
#include <optional>

namespace kartevo {

namespace {

const char *const kPanelCaption = "caption";
const char *const kFixedItems = "fixedItems";

bool IsInnerName(const QString &name)
{
    return name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name.startsWith(QLatin1String("_q_"));
}

// The tab widget whose page this widget is, or null.
QTabWidget *TabOwner(QWidget *widget)
{
    auto *stack = qobject_cast<QStackedWidget *>(widget->parentWidget());
    if (!stack)
        return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

QList<QRadioButton *> RadioItems(QGroupBox *box)
{
    return box->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
}

int FixedItems(QComboBox *box)
{
    return qBound(0, box->property(kFixedItems).toInt(), box->count());
}

std::optional<TextKind> KindOf(QObject *object)
{
    if (IsInnerName(object->objectName()) || object->property("tag").toInt() == report::kSkipTranslationTag)
        return std::nullopt;
    if (auto *action = qobject_cast<QAction *>(object))
        return action->isSeparator() ? std::nullopt : std::optional(TextKind::Command);
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget) // a text the window uses at run time (WindowText)
        return object->property(kPanelCaption).isValid() ? std::optional(TextKind::Caption) : std::nullopt;
    if (TabOwner(widget))
        return TextKind::Caption;
    if (auto *menu = qobject_cast<QMenu *>(widget))
        return menu->title().isEmpty() ? std::nullopt : std::optional(TextKind::Caption);
    if (auto *box = qobject_cast<QGroupBox *>(widget)) {
        if (!RadioItems(box).isEmpty())
            return TextKind::RadioGroup;
        return box->title().isEmpty() ? std::nullopt : std::optional(TextKind::Caption);
    }
    if (auto *box = qobject_cast<QComboBox *>(widget))
        return FixedItems(box) > 0 ? std::optional(TextKind::List) : std::nullopt;
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->pixmap().isNull() ? std::optional(TextKind::Caption) : std::nullopt;
    if (qobject_cast<QPushButton *>(widget) || qobject_cast<QCheckBox *>(widget)
        || qobject_cast<QRadioButton *>(widget))
        return TextKind::Caption;
    if (qobject_cast<QTableView *>(widget))
        return TextKind::Grid;
    if (widget->metaObject() == &QFrame::staticMetaObject)
        return TextKind::Panel;
    return std::nullopt;
}

// Visits the window's components in tree order; status bars, menus and tool bars are not
// entered, nor are the items of a radio group.
void Walk(QObject *object, const std::function<void(QObject *, TextKind)> &visit)
{
    QObjectList children = object->children();
    // A stack's pages in their order (showing a page moves it to the end of the children).
    if (auto *stack = qobject_cast<QStackedWidget *>(object)) {
        QObjectList pages;
        for (int i = 0; i < stack->count(); ++i)
            pages.append(stack->widget(i));
        for (QObject *child : std::as_const(children)) {
            if (!pages.contains(child))
                pages.append(child);
        }
        children = pages;
    }
    for (QObject *child : std::as_const(children)) {
        if (qobject_cast<QStatusBar *>(child) || qobject_cast<QToolBar *>(child))
            continue;
        const std::optional<TextKind> kind = KindOf(child);
        if (kind)
            visit(child, *kind);
        // A menu gives its title; its items are the window's commands.
        if (qobject_cast<QMenu *>(child))
            continue;
        if (kind == TextKind::RadioGroup) {
            // Only what is not one of its items.
            for (QObject *inner : child->children()) {
                if (!qobject_cast<QRadioButton *>(inner))
                    Walk(inner, visit);
            }
            continue;
        }
        Walk(child, visit);
    }
}

QString CaptionOf(QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (QTabWidget *tabs = widget ? TabOwner(widget) : nullptr)
        return tabs->tabText(tabs->indexOf(widget));
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    if (auto *box = qobject_cast<QGroupBox *>(object))
        return box->title();
    if (auto *menu = qobject_cast<QMenu *>(object))
        return menu->title();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->text();
    return object->property(kPanelCaption).toString();
}

void SetCaption(QObject *object, const QString &text)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (QTabWidget *tabs = widget ? TabOwner(widget) : nullptr)
        tabs->setTabText(tabs->indexOf(widget), text);
    else if (auto *label = qobject_cast<QLabel *>(object)) {
        label->setText(text);
        // A label placed by hand grows to the room of a longer text and keeps the room it was
        // given for a shorter one; a layout sizes its own.
        FitPlacedLabel(label);
    }
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(text);
    else if (auto *box = qobject_cast<QGroupBox *>(object))
        box->setTitle(text);
    else if (auto *menu = qobject_cast<QMenu *>(object))
        menu->setTitle(text);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(text);
    else
        object->setProperty(kPanelCaption, text);
}

QStringList ColumnTitles(QTableView *grid)
{
    QStringList titles;
    if (QAbstractItemModel *model = grid->model()) {
        for (int i = 0; i < model->columnCount(); ++i)
            titles.append(model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    return titles;
}

} // namespace

WindowTexts CollectWindowTexts(QWidget *window)
{
    WindowTexts texts;
    texts.name = window->objectName();
    texts.caption = window->windowTitle();
    Walk(window, [&](QObject *object, TextKind kind) {
        TextElement element;
        element.name = object->objectName();
        element.kind = kind;
        switch (kind) {
        case TextKind::Command:
            element.caption = CaptionOf(object);
            element.hint = qobject_cast<QAction *>(object)->toolTip();
            break;
        case TextKind::RadioGroup:
            element.caption = CaptionOf(object);
            for (QRadioButton *item : RadioItems(qobject_cast<QGroupBox *>(object)))
                element.items.append(item->text());
            break;
        case TextKind::Grid:
            element.items = ColumnTitles(qobject_cast<QTableView *>(object));
            break;
        case TextKind::List: {
            auto *box = qobject_cast<QComboBox *>(object);
            for (int i = 0; i < FixedItems(box); ++i)
                element.items.append(box->itemText(i));
            break;
        }
        case TextKind::Panel:
        case TextKind::Caption:
            element.caption = CaptionOf(object);
            break;
        }
        texts.elements.append(element);
    });
    return texts;
}

void ApplyWindowTexts(QWidget *window, const WindowTexts &texts)
{
    window->setWindowTitle(texts.caption);
    qsizetype next = 0;
    Walk(window, [&](QObject *object, TextKind kind) {
        // The same walk as when the texts were collected; a component added since is skipped.
        if (next >= texts.elements.size() || texts.elements.at(next).name != object->objectName())
            return;
        const TextElement &element = texts.elements.at(next++);
        if (element.kind != kind)
            return;
        switch (kind) {
        case TextKind::Command: {
            auto *action = qobject_cast<QAction *>(object);
            // Tool buttons show the icon text: it follows when it showed the old caption.
            const bool buttonsFollow = action->iconText() == action->text();
            action->setText(element.caption);
            if (buttonsFollow)
                action->setIconText(element.caption);
            action->setToolTip(element.hint);
            action->setStatusTip(element.hint);
            break;
        }
        case TextKind::RadioGroup: {
            const QList<QRadioButton *> items = RadioItems(qobject_cast<QGroupBox *>(object));
            for (qsizetype i = 0; i < items.size() && i < element.items.size(); ++i)
                items.at(i)->setText(element.items.at(i));
            SetCaption(object, element.caption);
            break;
        }
        case TextKind::Grid:
            if (QAbstractItemModel *model = qobject_cast<QTableView *>(object)->model()) {
                for (int i = 0; i < model->columnCount() && i < element.items.size(); ++i)
                    model->setHeaderData(i, Qt::Horizontal, element.items.at(i), Qt::DisplayRole);
            }
            break;
        case TextKind::List: {
            auto *box = qobject_cast<QComboBox *>(object);
            for (int i = 0; i < FixedItems(box) && i < element.items.size(); ++i)
                box->setItemText(i, element.items.at(i));
            break;
        }
        case TextKind::Panel:
        case TextKind::Caption:
            SetCaption(object, element.caption);
            break;
        }
    });
    // Texts the window puts together at run time (from its WindowTexts) follow.
    QEvent changed(QEvent::LanguageChange);
    QCoreApplication::sendEvent(window, &changed);
}

namespace {

// The texts a window had before it was first translated: the built-in ones.
// (An inner name: the walk passes it by.)
const QString kBuiltInTextsName = QStringLiteral("qt_builtInTexts");

class BuiltInTexts final : public QObject {
public:
    BuiltInTexts(QWidget *window, WindowTexts texts) : QObject(window), texts(std::move(texts))
    {
        setObjectName(kBuiltInTextsName);
    }
    const WindowTexts texts;
};

BuiltInTexts *BuiltInTextsOf(QWidget *window)
{
    return dynamic_cast<BuiltInTexts *>(window->findChild<QObject *>(kBuiltInTextsName, Qt::FindDirectChildrenOnly));
}

} // namespace

void TranslateForm(QWidget *window)
{
    WindowTexts texts = CollectWindowTexts(window);
    if (!BuiltInTextsOf(window))
        new BuiltInTexts(window, texts);
    if (TranslateWindowCall(texts))
        ApplyWindowTexts(window, texts);
    else if (CurrentLanguageFile().isEmpty() && !TemplateMode())
        RestoreBuiltInTexts(window);
}

void RestoreBuiltInTexts(QWidget *window)
{
    if (const BuiltInTexts *builtIn = BuiltInTextsOf(window))
        ApplyWindowTexts(window, builtIn->texts);
}

void RetranslateOpenWindows()
{
    const bool builtIn = CurrentLanguageFile().isEmpty();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || !TranslatedWindows().contains(window->objectName()))
            continue;
        if (builtIn)
            RestoreBuiltInTexts(window);
        else
            TranslateForm(window);
    }
}

QObject *WindowText(QWidget *window, const char *name, const QString &text)
{
    auto *holder = new QObject(window);
    holder->setObjectName(QLatin1String(name));
    holder->setProperty(kPanelCaption, text);
    return holder;
}

QString WindowTextOf(const QObject *holder)
{
    return holder ? holder->property(kPanelCaption).toString() : QString();
}

void TranslateOnShow(QWidget *window)
{
    if (RunCommand(window, [window] { TranslateForm(window); }))
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window))
        QTimer::singleShot(0, dialog, &QDialog::reject);
}

} // namespace kartevo
