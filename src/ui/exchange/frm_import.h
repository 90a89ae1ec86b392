#pragma once

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class QsciScintilla;

namespace kartevo {

class Session;

// The CSV import window (frm_Import): a delimited file is opened into the editor, where it may
// be changed, and "Betöltés" imports what the editor holds, one client per line. afterImport
// runs after every import, also one that stopped at a failing client, so that the client list
// shows the new clients at once.
class Tfrm_Import final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Import(QWidget *owner, Session &session, std::function<void()> afterImport);

    QAction *aMegnyit = nullptr;
    QAction *aBetolt = nullptr;
    QAction *aBezar = nullptr;
    QToolBar *ToolBar1 = nullptr;
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
    void updateLineNumbers();

    Session &m_session;
    std::function<void()> m_afterImport;
};

// Shows the import window modally (the aImport command).
void ShowImport(QWidget *owner, Session &session, std::function<void()> afterImport);

} // namespace kartevo
