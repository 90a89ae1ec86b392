#pragma once

#include "labels/labels.h"

#include <QDialog>
#include <QPoint>

#include <array>
#include <functional>

class QFont;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kartevo {

class Session;

// The label printing window (frm_CimkeNyom): the sheet settings, the start position, the font,
// and a designer in which the five address lines are dragged to their places on one label. The
// settings come from the label settings when the window opens and go back there whenever it
// closes. "Megnéz" previews and "Nyomtat" prints the labels of the selection.
class Tfrm_CimkeNyom final : public QDialog {
    Q_OBJECT
public:
    Tfrm_CimkeNyom(QWidget *owner, Session &session, const LabelSelection &selection);

    // The system font dialog, preset with a font: false when cancelled. Tests may replace it;
    // null restores the system dialog.
    using FontChooser = std::function<bool(QFont &font, QWidget *owner)>;
    static void SetFontChooser(FontChooser chooser);

    // The layout as the designer shows it now: the sheet of the fields, the captions' places
    // and font.
    LabelLayout currentLayout() const;

    QGroupBox *GroupBox3 = nullptr;
    QLineEdit *Edit5 = nullptr;     // label format name
    QPushButton *BitBtn2 = nullptr; // label format picker
    QGroupBox *GroupBox2 = nullptr;
    QLineEdit *Edit1 = nullptr; // side margin
    QLineEdit *Edit2 = nullptr; // top margin
    QLineEdit *Edit4 = nullptr; // label height
    QLineEdit *Edit3 = nullptr; // columns
    QPushButton *BitBtn1 = nullptr; // refresh
    QLineEdit *Edit7 = nullptr;     // summary
    QLineEdit *Edit6 = nullptr;     // start position
    QPushButton *BitBtn3 = nullptr; // font
    QGroupBox *GroupBox1 = nullptr; // the sheet sketch
    QWidget *Panel1 = nullptr;      // the designer
    QWidget *s1 = nullptr;          // its white face
    std::array<QLabel *, 5> l{};    // l1 … l5
    QLabel *Label6 = nullptr;       // what will print: labels, selection, sheets, start place
    QPushButton *Button3 = nullptr; // Megnéz
    QPushButton *Button1 = nullptr; // Nyomtat
    QPushButton *Button2 = nullptr; // Bezár

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LabelSheet fieldSheet() const;
    void setCaptionFont(const QFont &font);
    void refresh();
    void BitBtn2Click();
    void BitBtn3Click();
    void printLabels(bool direct);
    // The start place clicked on the sheet sketch.
    void setStartPosition(int place);
    // The line above the buttons and the sheet sketch, from the fields as they are now.
    void updatePlan();
    // The five fields into the label settings.
    void storeFields();

    Session &m_session;
    LabelSelection m_selection;
    bool m_dragging = false;
    QPoint m_grab; // where the dragged caption was grabbed, in its own pixels
    int m_labelCount = 0;     // the labels of the selection
    QString m_sourceName;     // what the selection is called
    QWidget *m_sketch = nullptr;
};

// Shows the label printing window modally (CimkeNyomtatas).
void CimkeNyomtatas(QWidget *owner, Session &session, const LabelSelection &selection);

// The label sheet report of the labels, moved by the label sheet's printer alignment: printed
// at once on the default printer, or previewed with the labels' outlines at hand (returns when
// the preview is closed; printing from the preview prints the sheet then). True when the sheet
// was printed. Throws Error for a sheet that cannot be laid out.
bool CimkeJelentes(QWidget *owner, const QList<Label> &labels, const LabelLayout &layout, bool print,
                   const Calibration &calibration);

} // namespace kartevo
