#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QsciScintilla;

namespace kartevo {

// The cheque dialog (frm_Csekk): the amount in digits and the message for the back of the form.
class Tfrm_Csekk final : public QDialog {
    Q_OBJECT
public:
    // iniFileName: where the dialog keeps its position (empty: nowhere); fontSize: the FontSize
    // setting (0 keeps the design sizes).
    Tfrm_Csekk(QWidget *parent, const QString &iniFileName, int fontSize);

    QString amountText() const;
    // The editor's whole text; any number of lines.
    QString message() const;

    QLineEdit *amountEdit() const { return Edit1; }
    QsciScintilla *editor() const { return SynEdit1; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QString m_iniFileName;
    int m_fontSize;

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label2 = nullptr;
    QsciScintilla *SynEdit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
};

} // namespace kartevo
