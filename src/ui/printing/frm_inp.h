#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kartevo {

// The small numeric input dialog (frm_Inp): a prompt, one right-aligned edit field and OK /
// Mégsem. OK and Enter run the acceptance check (CheckAmountInput); a refused value keeps the
// dialog open with an error box.
class Tfrm_Inp final : public QDialog {
    Q_OBJECT
public:
    // iniFileName: where the dialog keeps its position (empty: nowhere); fontSize: the FontSize
    // setting (0 keeps the design size).
    Tfrm_Inp(QWidget *parent, const QString &iniFileName, int fontSize);

    void setPrompt(const QString &prompt);
    void setValue(const QString &text);
    void setMaximum(double maximum) { m_maximum = maximum; }
    // The amount accepted (valid after the dialog closed with OK).
    qint64 acceptedValue() const { return m_value; }

    QLineEdit *edit() const { return Edit1; }

    // The acceptance check: closes with OK or shows the error.
    void aElfogadExecute();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QString m_iniFileName;
    int m_fontSize;
    double m_maximum = 2147483647.0;
    qint64 m_value = 0;

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QAction *aElfogad = nullptr;
    QAction *aMegsem = nullptr;
};

// Asks for a whole amount (maximum 2147483647). Returns true and sets value when the user
// accepts; false and leaves value as it was when the user cancels.
bool InputSzam(QWidget *owner, const QString &caption, const QString &prompt, qint64 &value,
               const QString &iniFileName = {}, int fontSize = 0);

} // namespace kartevo
