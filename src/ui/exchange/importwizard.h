#pragma once

#include "exchange/importplan.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace kartevo {

class Session;

// The import of a user's address list, in the order the user goes: the file (its kind found by
// its content; the sheet and the encoding may be chosen) -> the first rows with a field chooser
// over each column, filled in by the guess or by the mapping remembered for the same header ->
// the rows found to disagree or to repeat a client, marked, with the choice to skip the
// duplicates -> the run, with progress and a stop -> the summary.
class TImportWizard final : public QWidget {
    Q_OBJECT
public:
    TImportWizard(QWidget *parent, Session &session);

    // Reads the file and guesses its mapping. Throws Error naming the file when it cannot be read.
    void openFile(const QString &fileName);
    bool hasFile() const { return !m_file.isEmpty(); }
    // The mapping the choosers show.
    ImportMapping mapping() const;
    const ImportPlan &plan() const { return m_plan; }
    // Stores the rows (Error when the mapping gives no name); the mapping is remembered for the
    // header. Returns what was done; a stopped run wrote nothing.
    ImportOutcome run(QProgressBar *progress);

    QLabel *FileLabel = nullptr;
    QComboBox *cbLap = nullptr;      // the sheet of a spreadsheet
    QComboBox *cbKodolas = nullptr;  // the encoding of delimited text: detected, UTF-8, code page 1250
    QCheckBox *cbFejlec = nullptr;   // the first row holds titles
    QTableWidget *Elonezet = nullptr;
    QLabel *Megallapitas = nullptr;  // what was found, in numbers
    QCheckBox *cbKihagy = nullptr;   // skip the duplicates
    QPushButton *btnMegallit = nullptr;
    QLabel *Osszegzes = nullptr;     // the summary of the last run

private:
    void reread();
    void fillPreview();
    void refreshFindings();

    Session &m_session;
    QString m_file;
    SourceTable m_table;
    QList<QComboBox *> m_choosers;
    ImportPlan m_plan;
    bool m_stop = false;
    bool m_running = false;
    bool m_filling = false;
};

// "Utolsó betöltés visszavonása": asks (naming the clients edited since), then takes the last
// import back. Returns whether anything was removed.
bool UndoLastImportCommand(QWidget *owner, Session &session);

} // namespace kartevo
