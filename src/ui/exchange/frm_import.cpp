#include "ui/exchange/frm_import.h"

#include "core/helpers.h"
#include "core/backup.h"
#include "core/session.h"
#include "exchange/csvimport.h"
#include "exchange/importlog.h"
#include "ui/exchange/importwizard.h"
#include "ui/common/application.h"
#include "ui/common/filedialogs.h"
#include "ui/common/messages.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QStackedWidget>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>
// QScintilla's headers use Qt's plain keywords, which this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

namespace kartevo {

namespace {

QAction *MakeAction(QWidget *owner, const char *name, const QString &caption, const QString &hint,
                    const QKeySequence &key)
{
    auto *action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    return action;
}

QFont EditorFont(int size)
{
    QFont font(QStringLiteral("Lucida Console"), size > 0 ? size : 9);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

Tfrm_Import::Tfrm_Import(QWidget *owner, Session &session, std::function<void()> afterImport)
    : QDialog(owner), m_session(session), m_afterImport(std::move(afterImport))
{
    setObjectName(QStringLiteral("frm_Import"));
    setWindowTitle(QStringLiteral("Új ügyfelek (CSV import)"));
    resize(696, 480);

    aMegnyit = MakeAction(this, "aMegnyit", QStringLiteral("Megnyitás"), QStringLiteral("File megynyitása"),
                          QKeySequence(QStringLiteral("Ctrl+O")));
    aBetolt = MakeAction(this, "aBetolt", QStringLiteral("Betöltés"), QStringLiteral("File betöltése"),
                         QKeySequence(QStringLiteral("Ctrl+R")));
    aBezar = MakeAction(this, "aBezar", QStringLiteral("Bezár"), QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape));
    ConnectCommand(aMegnyit, this, [this] { aMegnyitExecute(); });
    ConnectCommand(aBetolt, this, [this] { aBetoltExecute(); });
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    aVisszavon = MakeAction(this, "aVisszavon", QStringLiteral("Utolsó betöltés visszavonása"),
                            QStringLiteral("Az utolsó betöltés ügyfeleinek és új csoportjainak törlése"), QKeySequence());
    ConnectCommand(aVisszavon, this, [this] {
        if (UndoLastImportCommand(this, m_session))
            this->afterImport();
    });

    cbFajta = new QComboBox(this);
    cbFajta->setObjectName(QStringLiteral("cbFajta"));
    cbFajta->addItems({QStringLiteral("Címlista (CSV, Excel, OpenDocument, névjegy)"), QStringLiteral("Kartevo CSV")});

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->addAction(aMegnyit);
    ToolBar1->addSeparator();
    ToolBar1->addAction(aBetolt);
    ToolBar1->addSeparator();
    ToolBar1->addAction(aBezar);
    ToolBar1->addSeparator();
    ToolBar1->addAction(aVisszavon);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(cbFajta);

    auto *fixedOrder = new QWidget(this);
    fixedOrder->setObjectName(QStringLiteral("KartevoCsvLap"));
    auto *panel = new QWidget(fixedOrder);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(159);
    CheckBox1 = new QCheckBox(QStringLiteral("Mezőnevek az első sorban"), panel);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    RadioGroup1 = new QGroupBox(QStringLiteral("Határoló karakter"), panel);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto *radios = new QVBoxLayout(RadioGroup1);
    const QString separatorNames[] = {QStringLiteral("Pontosvessző (;)"), QStringLiteral("Vessző (,)"),
                                      QStringLiteral("Tabulátor (#9)")};
    for (int i = 0; i < 3; ++i) {
        Separators[i] = new QRadioButton(separatorNames[i], RadioGroup1);
        radios->addWidget(Separators[i]);
    }
    Separators[0]->setChecked(true);
    auto *left = new QVBoxLayout;
    left->addWidget(CheckBox1);
    left->addWidget(RadioGroup1);
    left->addStretch();

    Label1 = new QLabel(panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setText(QStringLiteral(
        "File formátuma: adatok egymástól pontosvesszővel (;) elválasztva. Használható mezők sorrendben: "
        "1. mező: Ügyfél neve 2. mező: Kapcsolattartó, vagy üres 3. mező: Irányítószám 4. mező: Város "
        "(település) 5. mező: Cím 6. mező: Csoport\nPl.\n"
        "Minta Kereskedelmi Kft.;Kovács János;1052;Budapest;Váci utca 10.;Havi számlázás;\n"
        "Próba Szolgáltató Bt.;;1117;Budapest;Október huszonharmadika utca 8.;Havi számlázás;"));
    EncodingLabel = new QLabel(panel);
    EncodingLabel->setObjectName(QStringLiteral("EncodingLabel"));
    auto *middle = new QVBoxLayout;
    middle->addWidget(Label1, 1);
    middle->addWidget(EncodingLabel);

    auto *right = new QVBoxLayout;
    for (QAction *action : {aMegnyit, aBetolt, aBezar}) {
        auto *button = new QPushButton(action->text(), panel);
        button->setObjectName(QStringLiteral("Button_") + action->objectName());
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        right->addWidget(button);
    }
    right->addStretch();

    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->addLayout(left);
    panelLayout->addLayout(middle, 1);
    panelLayout->addLayout(right);

    SynEdit1 = new QsciScintilla(fixedOrder);
    SynEdit1->setObjectName(QStringLiteral("SynEdit1"));
    SynEdit1->setUtf8(true);
    SynEdit1->setFont(EditorFont(m_session.settings().FontSize));
    SynEdit1->setMarginsFont(EditorFont(8));
    SynEdit1->setMarginWidth(0, QStringLiteral("0000000"));
    SynEdit1->setMarginWidth(1, 0);
    SynEdit1->setEolMode(QsciScintilla::EolWindows);
    updateLineNumbers();
    connect(CheckBox1, &QCheckBox::toggled, this, &Tfrm_Import::updateLineNumbers);
    connect(SynEdit1, &QsciScintilla::linesChanged, this, [this] {
        if (CheckBox1->isChecked())
            updateLineNumbers();
    });

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *fixedOrderLayout = new QVBoxLayout(fixedOrder);
    fixedOrderLayout->setContentsMargins(0, 0, 0, 0);
    fixedOrderLayout->setSpacing(0);
    fixedOrderLayout->addWidget(panel);
    fixedOrderLayout->addWidget(SynEdit1, 1);

    Varazslo = new TImportWizard(this, m_session);
    Lapok = new QStackedWidget(this);
    Lapok->setObjectName(QStringLiteral("Lapok"));
    Lapok->addWidget(Varazslo);
    Lapok->addWidget(fixedOrder);
    connect(cbFajta, &QComboBox::currentIndexChanged, Lapok, &QStackedWidget::setCurrentIndex);

    layout->addWidget(ToolBar1);
    layout->addWidget(Lapok, 1);
    layout->addWidget(ProgressBar1);
}

// The editor counts its lines from 1 by itself; from 0 each line gets its number as text.
void Tfrm_Import::updateLineNumbers()
{
    if (!CheckBox1->isChecked()) {
        SynEdit1->clearMarginText();
        SynEdit1->setMarginType(0, QsciScintilla::NumberMargin);
        return;
    }
    SynEdit1->setMarginType(0, QsciScintilla::TextMargin);
    SynEdit1->clearMarginText();
    for (int line = 0; line < SynEdit1->lines(); ++line)
        SynEdit1->setMarginText(line, QString::number(line), 0);
}

void Tfrm_Import::aMegnyitExecute()
{
    if (cbFajta->currentIndex() == 0) {
        const QString file = ChooseOpenFile(
            this, FileDialogAt(QString(),
                               QStringLiteral("Címlisták (*.csv *.txt *.tsv *.xlsx *.ods *.xls *.vcf);;Minden fájl (*)"),
                               QString()));
        if (!file.isEmpty())
            Varazslo->openFile(file);
        return;
    }
    const QString file = ChooseOpenFile(
        this, FileDialogAt(QString(), QStringLiteral("Szöveges állományok (*.txt *.csv)"), QStringLiteral("csv")));
    if (file.isEmpty())
        return;
    const ImportText read = ReadImportFile(file);
    SynEdit1->setText(read.text);
    EncodingLabel->setText(QStringLiteral("Kódolás: %1").arg(read.encoding));
    if (!read.warning.isEmpty())
        ShowInfo(read.warning, this);
}

void Tfrm_Import::aBetoltExecute()
{
    if (cbFajta->currentIndex() == 1) {
        importFixedOrder();
        return;
    }
    MakeAutomaticBackup(m_session, BackupReason::Import);
    const ImportOutcome outcome = Varazslo->run(ProgressBar1);
    if (!outcome.stopped)
        afterImport();
    ShowInfo(outcome.stopped ? QStringLiteral("Megállítva: egy ügyfél sem került be.") : ImportOutcomeText(outcome), this);
}

void Tfrm_Import::importFixedOrder()
{
    const QStringList lines = SplitTextLines(SynEdit1->text());
    if (lines.isEmpty())
        return;
    MakeAutomaticBackup(m_session, BackupReason::Import);
    ProgressBar1->setRange(0, int(lines.size()) - 1);
    const auto progress = [this](int line) {
        if (line % 1000 == 0)
            ProgressBar1->setValue(line);
    };
    try {
        ImportClients(m_session.db(), lines, ImportSeparator(Separators[1]->isChecked() ? 1 : Separators[2]->isChecked() ? 2 : 0),
                      CheckBox1->isChecked(), progress, QStringLiteral("Kartevo CSV"));
    } catch (const ImportError &) {
        afterImport();
        throw;
    }
    afterImport();
    ShowInfo(QStringLiteral("Betöltés kész."), this);
    ProgressBar1->setValue(0);
}

void Tfrm_Import::afterImport()
{
    if (m_afterImport)
        m_afterImport();
}

void Tfrm_Import::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowRect(this, m_session.folders().IniFileName, m_session.folders().WorkArea);
    ApplyFontSize(this, m_session.settings().FontSize);
    SynEdit1->setFont(EditorFont(m_session.settings().FontSize));
    if (cbFajta->currentIndex() == 1)
        SynEdit1->setFocus();
    else
        cbFajta->setFocus();
}

void Tfrm_Import::done(int result)
{
    StoreWindowRect(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void ShowImport(QWidget *owner, Session &session, std::function<void()> afterImport)
{
    Tfrm_Import window(owner, session, std::move(afterImport));
    window.exec();
}

} // namespace kartevo
