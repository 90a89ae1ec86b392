#include "ui/exchange/frm_grid2html.h"

#include "core/error.h"
#include "core/helpers.h"
#include "core/session.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/filedialogs.h"
#include "ui/common/focuscolor.h"
#include "ui/common/messages.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace kartevo {

namespace {

Tfrm_Grid2Html::FileOpener g_opener;
Tfrm_Grid2Html::ProgramStarter g_starter;

FieldAlign AlignOf(const QVariant &alignment)
{
    const int flags = alignment.toInt();
    if (flags & Qt::AlignRight)
        return FieldAlign::Right;
    if (flags & Qt::AlignHCenter)
        return FieldAlign::Centre;
    return FieldAlign::Left;
}

} // namespace

void Tfrm_Grid2Html::SetFileOpener(FileOpener opener)
{
    g_opener = std::move(opener);
}

void Tfrm_Grid2Html::SetProgramStarter(ProgramStarter starter)
{
    g_starter = std::move(starter);
}

QList<HtmlColumn> Tfrm_Grid2Html::GridColumns(const QTableView *grid)
{
    QList<HtmlColumn> columns;
    auto *model = qobject_cast<DataSetModel *>(grid->model());
    if (!model)
        return columns;
    const QHeaderView *header = grid->horizontalHeader();
    for (int visual = 0; visual < model->columnCount(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || header->isSectionHidden(logical))
            continue;
        const int field = model->dataSet().fieldIndex(model->columns().value(logical).field);
        if (field < 0)
            continue;
        QVariant alignment = model->headerData(logical, Qt::Horizontal, Qt::TextAlignmentRole);
        if (!alignment.isValid() && model->rowCount() > 0)
            alignment = model->index(0, logical).data(Qt::TextAlignmentRole);
        columns.append({model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString(),
                        header->sectionSize(logical), AlignOf(alignment), field});
    }
    return columns;
}

Tfrm_Grid2Html::Tfrm_Grid2Html(QWidget *owner, Session &session, const QTableView *grid, const QString &title)
    : QDialog(owner), m_session(session), m_grid(grid), m_title(title)
{
    setObjectName(QStringLiteral("frm_Grid2Html"));
    setWindowTitle(QStringLiteral("HTML export"));
    setFixedSize(546, 158);

    Label1 = new QLabel(QStringLiteral("Mentés helye"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(HtmlDefaultPath(session.settings().HtmlPath, title), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    InstallFocusColor(Edit1);
    BitBtn1 = new QPushButton(QStringLiteral("..."), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        const QString file = ChooseSaveFile(
            this, FileDialogAt(Edit1->text(), QStringLiteral("HTML dokumentum (*.htm *.html)"), QStringLiteral("htm")));
        if (!file.isEmpty())
            Edit1->setText(file);
    });
    CheckBox1 = new QCheckBox(QStringLiteral("Mentés után megnyitás"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    Button3 = new QPushButton(QStringLiteral("E-Mail"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setAutoDefault(false);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button3Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    auto *grid2 = new QGridLayout;
    grid2->addWidget(Label1, 0, 0, 1, 2);
    grid2->addWidget(Edit1, 1, 0);
    grid2->addWidget(BitBtn1, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch();
    buttons->addWidget(Button3);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid2);
    layout->addLayout(buttons);
    layout->addStretch();
    layout->addWidget(ProgressBar1);
}

void Tfrm_Grid2Html::writePage()
{
    auto *model = qobject_cast<DataSetModel *>(m_grid->model());
    if (!model)
        throw Error(QStringLiteral("A táblázat nem exportálható."));
    const DataSet &dataSet = model->dataSet();
    ProgressBar1->setRange(0, qMax(1, dataSet.recordCount()));
    ProgressBar1->setValue(0);
    const QString path = Edit1->text();
    ExportToFile(path, [&](QIODevice &out) {
        return WriteHtmlPage(out, dataSet, m_title, GridColumns(m_grid), m_grid->width(), QDateTime::currentDateTime(),
                             [this](int records) {
                                 ProgressBar1->setValue(records);
                                 if (records % 1000 == 0)
                                     QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                                 return true;
                             });
    }, true);
    ProgressBar1->setValue(0);
    if (CheckBox1->isChecked()) {
        if (g_opener)
            g_opener(path);
        else
            ShellOpen(path, m_session.folders().ProgramFolder);
    }
}

void Tfrm_Grid2Html::Button1Click()
{
    writePage();
    accept();
}

void Tfrm_Grid2Html::Button3Click()
{
    CheckBox1->setChecked(false);
    writePage();
    SendMail(this, QStringLiteral("Html küldés"), QStringLiteral("Html küldés"), Edit1->text());
}

QString MailFailureText(int exitCode, const QString &attachment)
{
    // xdg-email's exit code 3: no mail program is set up (a tool it needs cannot be found).
    const QString reason = exitCode == 3
                               ? QStringLiteral("nincs beállított levelezőprogram")
                               : QStringLiteral("a levelezőprogram nem vette át (xdg-email, hibakód: %1)").arg(exitCode);
    return QStringLiteral("A levél nem adható át: %1. A lap elkészült: %2").arg(reason, attachment);
}

void SendMail(QWidget *owner, const QString &subject, const QString &body, const QString &attachment)
{
    const QString program = QStringLiteral("xdg-email");
    const QStringList arguments = {QStringLiteral("--subject"), subject, QStringLiteral("--body"), body,
                                   QStringLiteral("--attach"), attachment};
    if (g_starter) {
        if (!g_starter(program, arguments))
            throw Error(QStringLiteral("A levelezőprogram nem indítható (%1).").arg(program));
        return;
    }
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        throw Error(QStringLiteral("A levél nem adható át a levelezőprogramnak: az xdg-email program nincs "
                                   "telepítve (xdg-utils csomag). A lap elkészült: %1")
                        .arg(attachment));
    // The hand-over may take as long as the mail program runs: it is not waited for, but its
    // failure is told when it comes.
    auto *process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process,
                     [process, owner = QPointer<QWidget>(owner), attachment](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || exitCode != 0)
                             ShowError(MailFailureText(status == QProcess::NormalExit ? exitCode : -1, attachment), owner);
                     });
    process->start(path, arguments);
    if (!process->waitForStarted()) {
        process->deleteLater();
        throw Error(QStringLiteral("A levelezőprogram nem indítható (%1).").arg(program));
    }
}

void Tfrm_Grid2Html::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_session.folders().IniFileName);
    ApplyFontSize(this, m_session.settings().FontSize);
}

void Tfrm_Grid2Html::done(int result)
{
    StoreWindowPos(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

void ShowGrid2Html(QWidget *owner, Session &session, const QTableView *grid, const QString &title)
{
    Tfrm_Grid2Html window(owner, session, grid, title);
    window.exec();
}

} // namespace kartevo
