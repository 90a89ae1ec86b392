#include "ui/exchange/frm_hatarolt.h"

#include "core/dataset.h"
#include "core/session.h"
#include "exchange/biffexport.h"
#include "exchange/delimitedexport.h"
#include "ui/common/application.h"
#include "ui/common/filedialogs.h"
#include "ui/common/focuscolor.h"
#include "ui/common/messages.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace kartevo {

namespace {

QGroupBox *RadioGroup(QWidget *parent, const char *name, const QString &title, const QStringList &items,
                      QRadioButton **buttons)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    auto *layout = new QVBoxLayout(group);
    for (int i = 0; i < items.size(); ++i) {
        buttons[i] = new QRadioButton(items.at(i), group);
        layout->addWidget(buttons[i]);
    }
    return group;
}

int CheckedIndex(QRadioButton *const *buttons, int count)
{
    for (int i = 0; i < count; ++i) {
        if (buttons[i]->isChecked())
            return i;
    }
    return 0;
}

} // namespace

Tfrm_Hatarolt::Tfrm_Hatarolt(QWidget *owner, Session &session, DataSet &dataSet,
                             const QHash<QString, QString> &labels, const QString &fileName)
    : QDialog(owner), m_session(session), m_dataSet(dataSet), m_fields(ExportFieldsOf(dataSet, labels))
{
    setObjectName(QStringLiteral("frm_Hatarolt"));
    setWindowTitle(QStringLiteral("Határolt szöveg export"));
    setFixedSize(638, 391);

    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    for (const ExportField &field : std::as_const(m_fields)) {
        auto *item = new QListWidgetItem(field.name, CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    Button4 = new QPushButton(QStringLiteral("összes"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5 = new QPushButton(QStringLiteral("egyik sem"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    const auto tickAll = [this](Qt::CheckState state) {
        for (int i = 0; i < CheckListBox1->count(); ++i)
            CheckListBox1->item(i)->setCheckState(state);
    };
    connect(Button4, &QPushButton::clicked, this, [tickAll] { tickAll(Qt::Checked); });
    connect(Button5, &QPushButton::clicked, this, [tickAll] { tickAll(Qt::Unchecked); });

    RadioGroup2 = RadioGroup(this, "RadioGroup2", QStringLiteral("Határoló karakter"),
                             {QStringLiteral("Pontosvessző (;)"), QStringLiteral("Tabulátor"), QStringLiteral("Vessző (,)"),
                              QStringLiteral("Cső (|)")},
                             SeparatorButtons);
    SeparatorButtons[0]->setChecked(true);
    RadioGroup1 = RadioGroup(this, "RadioGroup1", QStringLiteral("Szövegjelölő"),
                             {QStringLiteral("Idézőjel (\")"), QStringLiteral("Aposztróf (')"), QStringLiteral("Semmi")},
                             QuoteButtons);
    QuoteButtons[2]->setChecked(true);

    CheckBox1 = new QCheckBox(QStringLiteral("Többsoros mezőket is kiírja (egy sorba cső karakter választással)"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("Eredeti mezőneveket használja (nem a megjelenített neveket)"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox3 = new QCheckBox(QStringLiteral("Fejléc nem kell (az első sorban)"), this);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));

    Label1 = new QLabel(QStringLiteral("Filenév"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(fileName, this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    InstallFocusColor(Edit1);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("..."));
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { chooseFile(); });

    Button3 = new QPushButton(QStringLiteral("Megállít"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setEnabled(false);
    connect(Button3, &QPushButton::clicked, this, [this] { m_stop = true; });
    Button1 = new QPushButton(QStringLiteral("Export indítás"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    Button2 = new QPushButton(QStringLiteral("Bezár"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    auto *fieldButtons = new QVBoxLayout;
    fieldButtons->addWidget(Button4);
    fieldButtons->addWidget(Button5);
    fieldButtons->addStretch();
    auto *groups = new QHBoxLayout;
    groups->addWidget(RadioGroup2);
    groups->addWidget(RadioGroup1);
    auto *file = new QHBoxLayout;
    file->addWidget(Edit1, 1);
    file->addWidget(SpeedButton1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button3);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *rightSide = new QVBoxLayout;
    rightSide->addLayout(groups);
    rightSide->addWidget(CheckBox1);
    rightSide->addWidget(CheckBox2);
    rightSide->addWidget(CheckBox3);
    rightSide->addWidget(Label1);
    rightSide->addLayout(file);
    rightSide->addStretch();
    rightSide->addLayout(buttons);
    auto *body = new QHBoxLayout;
    body->addWidget(CheckListBox1);
    body->addLayout(fieldButtons);
    body->addLayout(rightSide, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *inner = new QWidget(this);
    inner->setLayout(body);
    layout->addWidget(inner, 1);
    layout->addWidget(ProgressBar1);
}

bool Tfrm_Hatarolt::chooseFile()
{
    const QString file = ChooseSaveFile(
        this, FileDialogAt(Edit1->text(),
                           QStringLiteral("CSV állományok (*.csv);;Text állományok (*.txt);;Excel munkalap (*.xls);;"
                                          "Minden állomány (*)"),
                           QStringLiteral("csv")));
    if (file.isEmpty())
        return false;
    Edit1->setText(file);
    return true;
}

void Tfrm_Hatarolt::Button1Click()
{
    if (Edit1->text().isEmpty() && !chooseFile())
        return;
    if (IsWorksheetName(Edit1->text()))
        worksheetExport(Edit1->text());
    else
        textExport(Edit1->text());
}

QList<ExportField> Tfrm_Hatarolt::tickedFields() const
{
    QList<ExportField> fields;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (CheckListBox1->item(i)->checkState() == Qt::Checked)
            fields.append(m_fields.at(i));
    }
    return fields;
}

void Tfrm_Hatarolt::textExport(const QString &fileName)
{
    DelimitedOptions options;
    options.separator = ExportSeparator(CheckedIndex(SeparatorButtons, 4));
    options.quote = ExportQuote(CheckedIndex(QuoteButtons, 3));
    options.memos = CheckBox1->isChecked();
    options.fieldNames = CheckBox2->isChecked();
    options.noHeader = CheckBox3->isChecked();
    m_stop = false;
    Button3->setEnabled(true);
    ProgressBar1->setRange(0, qMax(1, m_dataSet.recordCount()));
    try {
        const QList<ExportField> fields = tickedFields();
        const ExportResult result = ExportToFile(fileName, [&](QIODevice &out) {
            return WriteDelimited(out, m_dataSet, fields, options, [this](int records) {
                // The stop button is heard between records.
                if (records % 100 == 0) {
                    ProgressBar1->setValue(records);
                    QCoreApplication::processEvents();
                }
                return !m_stop;
            });
        });
        ProgressBar1->setValue(0);
        QString message = fileName + QStringLiteral(" file kész.");
        if (result.unmappable > 0)
            message += u'\n' + UnmappableNote(result.unmappable);
        ShowInfo(message, this);
    } catch (const Error &e) {
        ShowError(QStringLiteral("Hiba: ") + e.message(), this);
    }
    Button3->setEnabled(false);
}

void Tfrm_Hatarolt::worksheetExport(const QString &fileName)
{
    ProgressBar1->setRange(0, qMax(1, m_dataSet.recordCount()));
    const QList<ExportField> fields = tickedFields();
    const QScreen *screen = this->screen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInch()) : 96;
    const ExportResult result = ExportToFile(fileName, [&](QIODevice &out) {
        return WriteWorksheet(out, m_dataSet, fields, dpi, [this](int records) {
            if (records % 100 == 0)
                ProgressBar1->setValue(records);
            return true;
        });
    });
    ProgressBar1->setValue(0);
    QString message = fileName + QStringLiteral(" file kész.");
    if (result.unmappable > 0)
        message += u'\n' + UnmappableNote(result.unmappable);
    ShowInfo(message, this);
}

void Tfrm_Hatarolt::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_session.folders().IniFileName);
    ApplyFontSize(this, m_session.settings().FontSize);
}

void Tfrm_Hatarolt::done(int result)
{
    StoreWindowPos(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void ShowExport(QWidget *owner, Session &session, DataSet &dataSet, const QHash<QString, QString> &labels)
{
    Tfrm_Hatarolt window(owner, session, dataSet, labels);
    window.exec();
}

} // namespace kartevo
