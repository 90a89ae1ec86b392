#pragma once

#include "exchange/htmlexport.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace kartevo {

class Session;

// The HTML export window (frm_Grid2Html): writes what a grid shows (its columns in their order,
// titles, widths and rows) as an HTML page, then opens it, or hands it to the mail program.
class Tfrm_Grid2Html final : public QDialog {
    Q_OBJECT
public:
    // The grid's model must be a DataSetModel; its columns without a field are left out.
    Tfrm_Grid2Html(QWidget *owner, Session &session, const QTableView *grid, const QString &title);

    // How the desktop is asked to open a file and to start a program (tests replace them; null
    // restores the real ones). The program starter returns false when the program cannot start.
    using FileOpener = std::function<void(const QString &file)>;
    using ProgramStarter = std::function<bool(const QString &program, const QStringList &arguments)>;
    static void SetFileOpener(FileOpener opener);
    static void SetProgramStarter(ProgramStarter starter);

    // The grid's columns as the page shows them.
    static QList<HtmlColumn> GridColumns(const QTableView *grid);

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QPushButton *Button3 = nullptr; // E-Mail
    QPushButton *Button1 = nullptr; // OK
    QPushButton *Button2 = nullptr; // Mégsem
    QProgressBar *ProgressBar1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void writePage();
    void Button1Click();
    void Button3Click();

    Session &m_session;
    const QTableView *m_grid;
    QString m_title;
};

// Hands a file to the mail program with a subject and a note (xdg-email); throws Error with a
// clear message when there is no mail hand-over program or it cannot start. It is not waited
// for: when it ends with an error (no mail program set up, exit code 3, or any other), that is
// shown then, with owner as the message's owner while it is open.
void SendMail(QWidget *owner, const QString &subject, const QString &body, const QString &attachment);

// Shows the HTML export window modally (the aHtml command).
void ShowGrid2Html(QWidget *owner, Session &session, const QTableView *grid, const QString &title);

} // namespace kartevo
