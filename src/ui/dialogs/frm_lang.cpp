#include "ui/dialogs/frm_lang.h"

#include "core/session.h"
#include "i18n/language.h"
#include "ui/common/windowstate.h"

#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

namespace kartevo {

Tfrm_Lang::Tfrm_Lang(const QStringList &choices, int current, const QString &iniFileName, int fontSize,
                     QWidget *parent)
    : QDialog(parent), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Lang"));
    setWindowTitle(QString());
    setFixedSize(247, 325);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(0, 0, 247, 277);
    ListBox1->addItems(choices);
    if (!choices.isEmpty())
        ListBox1->setCurrentRow(current);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((247 - 75) / 2, 288, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] {
        if (ListBox1->currentItem() && ListBox1->currentItem()->isSelected())
            accept();
    });
}

QString Tfrm_Lang::choice() const
{
    const QListWidgetItem *item = ListBox1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void Tfrm_Lang::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    RestoreWindowPos(this, m_iniFileName);
    ApplyFontSize(this, m_fontSize);
}

void Tfrm_Lang::done(int result)
{
    StoreWindowPos(this, m_iniFileName);
    QDialog::done(result);
}

QString BuiltInLanguageChoice()
{
    return QStringLiteral("Magyar (beépített)");
}

bool NyelvValasztas(QWidget *owner, Session &session)
{
    const QString dataFolder = session.folders().DataFolder;
    TBeall &settings = session.settings();
    // The first choice brings the built-in Hungarian texts back at once.
    const QStringList choices = QStringList{BuiltInLanguageChoice()} + LanguageChoices(dataFolder);
    const int current = settings.Lang.isEmpty() ? 0 : LanguageChoiceIndex(choices, settings.Lang);
    Tfrm_Lang dialog(choices, current, session.folders().IniFileName, settings.FontSize, owner);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().isEmpty())
        return false;
    settings.Lang = dialog.choice() == BuiltInLanguageChoice() ? QString() : LanguageFilePath(dataFolder, dialog.choice());
    return true;
}

} // namespace kartevo
