#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kartevo {

class Session;

// The maker's home page and e-mail address (the "Súgó" menu's links).
QString MakerHomePage();
QString MakerMailAddress();

// The about box "Névjegy": fixed texts; keeps its position. Not translated.
class Tfrm_Nevjegy final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Nevjegy(QWidget *owner, const QString &iniFileName, int fontSize);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QString m_iniFileName;
    int m_fontSize;
};

// The support window "Támogatás": the support text, a mail button and "Bezár"; keeps its
// position. Not translated.
class Tfrm_Tamogat final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Tamogat(QWidget *owner, const QString &iniFileName, int fontSize);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QString m_iniFileName;
    int m_fontSize;
};

// The information window "Fontos információk": the user agreement, "Nyomtat" (straight to the
// default printer) and "Bezár". Resizable; keeps position and size; translated.
class Tfrm_Readme final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Readme(QWidget *owner, const QString &iniFileName, int fontSize);
    QString text() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QPlainTextEdit *Memo1 = nullptr;
    QString m_iniFileName;
    int m_fontSize;
};

// The user agreement as the information window shows and prints it.
QString UserAgreementText();

void ShowAboutBox(QWidget *owner, Session &session);      // aNevjegy
void ShowSupportWindow(QWidget *owner, Session &session); // aTamogat
void ShowReadme(QWidget *owner, Session &session);        // aFontos

} // namespace kartevo
