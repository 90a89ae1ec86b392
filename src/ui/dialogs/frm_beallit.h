#pragma once

#include "core/settingsform.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kartevo {

class Session;

// The settings dialog: copies of the settings in its controls, written into the settings record
// only on OK (StoreSettingsForm). Four pages: the general settings and one picture per envelope.
class Tfrm_Beallit final : public QDialog {
    Q_OBJECT
public:
    Tfrm_Beallit(QWidget *owner, Session &session);

    // Fills the controls from the settings and loads the pictures that exist. A picture file that
    // exists but cannot be read leaves its preview empty; the message naming it is shown once the
    // dialog is up.
    void FormCreate();
    // The controls as a form (what OK stores).
    SettingsForm form() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *addPicturePage(int index, const QString &title, const QString &caption, const QString &note,
                            const QSize &previewSize);
    void showSenderName();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void choosePicture(int index);
    void loadPreview(int index);

    Session &m_session;
    int m_sender = 0; // the chosen sender key

    QTabWidget *PageControl1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QCheckBox *CheckBox3 = nullptr;
    QCheckBox *CheckBox4 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLineEdit *PictureEdits[3] = {};
    QLabel *Previews[3] = {};
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QStringList m_pictureProblems; // pictures that could not be read at the opening
};

// aBeallit: the dialog on the session's settings.
void Beallitasok(QWidget *owner, Session &session);

} // namespace kartevo
