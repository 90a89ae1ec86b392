#pragma once

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QStackedWidget;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class QsciScintilla;

namespace kartevo {

class Session;
class TImportWizard;

// The import window (frm_Import), of two kinds (cbFajta). An address list ("Címlista"): any
// delimited text, spreadsheet or vCard file, its columns mapped to the client fields in the
// wizard page. "Kartevo CSV", the program's own fixed order: the file is opened into the
// editor, where it may be changed, and "Betöltés" imports what the editor holds, one client per
// line. Either import is recorded, so that "Utolsó betöltés visszavonása" (aVisszavon) can take
// it back. afterImport runs after every import and undo, also after an import that stopped at a
// failing client, so that the client list shows the change at once.
class Tfrm_Import final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Import(QWidget *owner, Session &session, std::function<void()> afterImport);

    QAction *aMegnyit = nullptr;
    QAction *aBetolt = nullptr;
    QAction *aBezar = nullptr;
    QAction *aVisszavon = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QComboBox *cbFajta = nullptr;  // 0: address list with a column mapping, 1: Kartevo CSV
    QStackedWidget *Lapok = nullptr;
    TImportWizard *Varazslo = nullptr;
    QCheckBox *CheckBox1 = nullptr;   // field names in the first line
    QGroupBox *RadioGroup1 = nullptr; // the separator
    QRadioButton *Separators[3] = {};
    QLabel *Label1 = nullptr;        // the file format
    QLabel *EncodingLabel = nullptr; // the encoding the file was read in
    QsciScintilla *SynEdit1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void aMegnyitExecute();
    void aBetoltExecute();
    void importFixedOrder();
    void afterImport();
    void updateLineNumbers();

    Session &m_session;
    std::function<void()> m_afterImport;
};

// Shows the import window modally (the aImport command).
void ShowImport(QWidget *owner, Session &session, std::function<void()> afterImport);

} // namespace kartevo
