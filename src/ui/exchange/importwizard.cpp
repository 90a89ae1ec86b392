#include "ui/exchange/importwizard.h"

#include "core/error.h"
#include "core/session.h"
#include "exchange/importlog.h"
#include "masterdata/addresscheck.h"
#include "ui/common/application.h"
#include "ui/common/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kartevo {

namespace {

constexpr int kPreviewRows = 100;
const QColor kDuplicateColour(255, 205, 205);
const QColor kMismatchColour(255, 240, 170);

QString KindName(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Delimited: return QStringLiteral("tagolt szöveg");
    case SourceKind::Xlsx: return QStringLiteral("Excel munkafüzet (.xlsx)");
    case SourceKind::Ods: return QStringLiteral("OpenDocument táblázat (.ods)");
    case SourceKind::Xls: return QStringLiteral("Excel 97-2003 munkafüzet (.xls)");
    case SourceKind::VCard: return QStringLiteral("névjegyek (vCard)");
    }
    return {};
}

int ColumnCount(const SourceTable &table)
{
    int columns = 0;
    for (const QStringList &row : table.rows)
        columns = std::max(columns, int(row.size()));
    return columns;
}

} // namespace

TImportWizard::TImportWizard(QWidget *parent, Session &session)
    : QWidget(parent), m_session(session)
{
    setObjectName(QStringLiteral("ImportWizard"));
    FileLabel = new QLabel(QStringLiteral("Válassza ki a fájlt a Megnyitás gombbal (CSV, Excel, OpenDocument, névjegy)."), this);
    FileLabel->setObjectName(QStringLiteral("FileLabel"));
    FileLabel->setWordWrap(true);
    auto *sheetLabel = new QLabel(QStringLiteral("Munkalap:"), this);
    sheetLabel->setObjectName(QStringLiteral("LapLabel"));
    cbLap = new QComboBox(this);
    cbLap->setObjectName(QStringLiteral("cbLap"));
    auto *encodingLabel = new QLabel(QStringLiteral("Kódolás:"), this);
    encodingLabel->setObjectName(QStringLiteral("KodolasLabel"));
    cbKodolas = new QComboBox(this);
    cbKodolas->setObjectName(QStringLiteral("cbKodolas"));
    cbKodolas->addItems({QStringLiteral("felismert"), QStringLiteral("UTF-8"), QStringLiteral("Windows-1250")});
    cbFejlec = new QCheckBox(QStringLiteral("Az első sor fejléc"), this);
    cbFejlec->setObjectName(QStringLiteral("cbFejlec"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(sheetLabel);
    fileRow->addWidget(cbLap, 1);
    fileRow->addWidget(encodingLabel);
    fileRow->addWidget(cbKodolas, 1);
    fileRow->addWidget(cbFejlec);

    Elonezet = new QTableWidget(this);
    Elonezet->setObjectName(QStringLiteral("Elonezet"));
    Elonezet->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Elonezet->verticalHeader()->setDefaultSectionSize(Elonezet->fontMetrics().height() + 6);

    Megallapitas = new QLabel(this);
    Megallapitas->setObjectName(QStringLiteral("Megallapitas"));
    Megallapitas->setWordWrap(true);
    cbKihagy = new QCheckBox(QStringLiteral("Duplikátumok kihagyása"), this);
    cbKihagy->setObjectName(QStringLiteral("cbKihagy"));
    cbKihagy->setChecked(true);
    btnMegallit = new QPushButton(QStringLiteral("Megállítás"), this);
    btnMegallit->setObjectName(QStringLiteral("btnMegallit"));
    btnMegallit->setEnabled(false);
    btnMegallit->setAutoDefault(false);
    Osszegzes = new QLabel(this);
    Osszegzes->setObjectName(QStringLiteral("Osszegzes"));
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(cbKihagy);
    runRow->addStretch();
    runRow->addWidget(btnMegallit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FileLabel);
    layout->addLayout(fileRow);
    layout->addWidget(Elonezet, 1);
    layout->addWidget(Megallapitas);
    layout->addLayout(runRow);
    layout->addWidget(Osszegzes);

    connect(btnMegallit, &QPushButton::clicked, this, [this] { m_stop = true; });
    const auto reread = [this] {
        if (!m_filling && hasFile())
            RunCommand(this, [this] { this->reread(); });
    };
    connect(cbLap, &QComboBox::currentIndexChanged, this, reread);
    connect(cbKodolas, &QComboBox::currentIndexChanged, this, reread);
    connect(cbFejlec, &QCheckBox::toggled, this, [this] {
        if (!m_filling)
            refreshFindings();
    });
}

void TImportWizard::openFile(const QString &fileName)
{
    const QString previous = m_file;
    m_file = fileName;
    m_filling = true;
    cbLap->clear();
    cbKodolas->setCurrentIndex(0);
    m_filling = false;
    try {
        reread();
    } catch (...) {
        m_file = previous;
        throw;
    }
}

void TImportWizard::reread()
{
    SourceOptions options;
    options.sheet = std::max(0, cbLap->currentIndex());
    options.encoding = cbKodolas->currentIndex() == 1 ? QStringLiteral("utf-8")
                     : cbKodolas->currentIndex() == 2 ? QStringLiteral("cp1250")
                                                      : QString();
    m_table = ReadSource(m_file, options);
    m_filling = true;
    if (cbLap->count() != m_table.sheets.size()) {
        cbLap->clear();
        cbLap->addItems(m_table.sheets);
        cbLap->setCurrentIndex(options.sheet);
    }
    cbLap->setEnabled(m_table.sheets.size() > 1);
    cbKodolas->setEnabled(m_table.kind == SourceKind::Delimited);
    m_filling = false;
    QString about = QStringLiteral("%1: %2, %3 sor").arg(QFileInfo(m_file).fileName(), KindName(m_table.kind))
                        .arg(m_table.rows.size());
    if (m_table.kind == SourceKind::Delimited)
        about += QStringLiteral(", kódolás: %1").arg(m_table.encoding);
    for (const QString &warning : std::as_const(m_table.warnings))
        about += u'\n' + warning;
    FileLabel->setText(about);
    Osszegzes->clear();
    fillPreview();
}

void TImportWizard::fillPreview()
{
    Database &db = m_session.db();
    ImportMapping guess;
    const QString remembered = m_table.rows.isEmpty() ? QString() : RememberedMapping(db, HeaderKey(m_table.rows.first()));
    const int columns = ColumnCount(m_table);
    try {
        guess = remembered.isEmpty() ? ImportMapping() : ParseMappingText(remembered, columns);
    } catch (const Error &) {
        guess = ImportMapping(); // a remembered mapping that no longer fits is guessed again
    }
    if (guess.isEmpty()) {
        const PostalTowns towns(db);
        guess = GuessMapping(m_table, &towns);
    }
    const QList<ColumnChoice> choices = ColumnChoicesOf(guess, columns);

    m_filling = true;
    cbFejlec->setChecked(guess.header);
    const int rows = int(std::min<qsizetype>(m_table.rows.size(), kPreviewRows));
    Elonezet->clear();
    Elonezet->setColumnCount(columns + 1);
    Elonezet->setRowCount(rows + 1);
    QStringList titles;
    for (int column = 0; column < columns; ++column)
        titles.append(QString::number(column + 1));
    titles.append(QStringLiteral("Megállapítás"));
    Elonezet->setHorizontalHeaderLabels(titles);
    m_choosers.clear();
    for (int column = 0; column < columns; ++column) {
        auto *chooser = new QComboBox(Elonezet);
        for (int choice = 0; choice < kColumnChoiceCount; ++choice)
            chooser->addItem(ColumnChoiceText(ColumnChoice(choice)));
        chooser->setCurrentIndex(int(choices.value(column)));
        connect(chooser, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_filling)
                refreshFindings();
        });
        Elonezet->setCellWidget(0, column, chooser);
        m_choosers.append(chooser);
    }
    Elonezet->setVerticalHeaderItem(0, new QTableWidgetItem(QStringLiteral("Mező")));
    for (int row = 0; row < rows; ++row) {
        Elonezet->setVerticalHeaderItem(row + 1, new QTableWidgetItem(QString::number(row + 1)));
        const QStringList &cells = m_table.rows.at(row);
        for (int column = 0; column < cells.size(); ++column)
            Elonezet->setItem(row + 1, column, new QTableWidgetItem(cells.at(column).simplified()));
    }
    Elonezet->resizeColumnsToContents();
    m_filling = false;
    refreshFindings();
}

ImportMapping TImportWizard::mapping() const
{
    QList<ColumnChoice> choices;
    for (const QComboBox *chooser : m_choosers)
        choices.append(ColumnChoice(chooser->currentIndex()));
    return MappingOfChoices(choices, cbFejlec->isChecked());
}

void TImportWizard::refreshFindings()
{
    m_plan = ImportPlan();
    QHash<int, int> planRows; // source row -> plan row
    try {
        m_plan = PlanImport(m_session.db(), m_table, mapping());
        Megallapitas->setText(QStringLiteral("%1 ügyfél; %2 duplikátum; %3 sorban nem egyezik az irányítószám és a "
                                             "helység; %4 érték hosszabb a helyénél, levágva.")
                                  .arg(m_plan.rows.size())
                                  .arg(m_plan.duplicates)
                                  .arg(m_plan.townMismatches)
                                  .arg(m_plan.cutValues));
    } catch (const Error &e) {
        Megallapitas->setText(e.message());
    }
    for (int i = 0; i < m_plan.rows.size(); ++i)
        planRows.insert(m_plan.rows.at(i).sourceRow, i);
    const int findingColumn = Elonezet->columnCount() - 1;
    for (int row = 1; row < Elonezet->rowCount(); ++row) {
        const auto found = planRows.constFind(row - 1);
        const PlannedRow *planned = found == planRows.cend() ? nullptr : &m_plan.rows.at(*found);
        QColor colour;
        if (planned && planned->isDuplicate())
            colour = kDuplicateColour;
        else if (planned && planned->townMismatch)
            colour = kMismatchColour;
        for (int column = 0; column < findingColumn; ++column) {
            if (QTableWidgetItem *item = Elonezet->item(row, column)) {
                item->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
                item->setForeground(planned ? QBrush() : QBrush(Qt::gray));
            }
        }
        Elonezet->setItem(row, findingColumn, new QTableWidgetItem(planned ? RowFindingText(*planned) : QString()));
    }
}

ImportOutcome TImportWizard::run(QProgressBar *progress)
{
    if (!hasFile())
        throw Error(QStringLiteral("Nincs kiválasztott fájl."));
    if (m_running)
        throw Error(QStringLiteral("A betöltés már fut."));
    const ImportMapping chosen = mapping();
    m_plan = PlanImport(m_session.db(), m_table, chosen);
    m_stop = false;
    m_running = true;
    btnMegallit->setEnabled(true);
    progress->setRange(0, std::max(1, int(m_plan.rows.size())));
    ImportOutcome outcome;
    try {
        outcome = RunImport(m_session.db(), m_plan, cbKihagy->isChecked(), m_file, [&](int done, int) {
            if (done % 100 == 0) {
                progress->setValue(done);
                QCoreApplication::processEvents();
            }
            return !m_stop;
        });
    } catch (...) {
        m_running = false;
        btnMegallit->setEnabled(false);
        progress->setValue(0);
        throw;
    }
    m_running = false;
    btnMegallit->setEnabled(false);
    progress->setValue(0);
    if (!outcome.stopped && chosen.header && !m_table.rows.isEmpty())
        RememberMapping(m_session.db(), HeaderKey(m_table.rows.first()), MappingText(chosen));
    Osszegzes->setText(outcome.stopped ? QStringLiteral("Megállítva: egy ügyfél sem került be.")
                                       : ImportOutcomeText(outcome));
    if (!outcome.stopped)
        refreshFindings();
    return outcome;
}

bool UndoLastImportCommand(QWidget *owner, Session &session)
{
    const std::optional<LastImport> last = FindLastImport(session.db());
    if (!last) {
        ShowInfo(QStringLiteral("Nincs visszavonható betöltés."), owner);
        return false;
    }
    if (!AskYesNo(UndoQuestion(*last), QStringLiteral("Utolsó betöltés visszavonása"), owner))
        return false;
    ShowInfo(UndoLastImport(session.db()), owner);
    return true;
}

} // namespace kartevo
