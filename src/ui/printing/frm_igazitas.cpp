#include "ui/printing/frm_igazitas.h"

#include "core/error.h"
#include "core/session.h"
#include "printing/calibrationsheet.h"
#include "ui/common/dialogkeys.h"
#include "ui/common/focuscolor.h"
#include "ui/common/messages.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"
#include "ui/printing/printoutput.h"

#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

namespace kartevo {

namespace {

QDoubleSpinBox *OffsetEdit(QWidget *parent, const char *name)
{
    auto *edit = new QDoubleSpinBox(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setLocale(QLocale(QLocale::Hungarian, QLocale::Hungary));
    edit->setRange(-kMaxOffsetMm, kMaxOffsetMm);
    edit->setDecimals(1);
    edit->setSingleStep(kOffsetStepMm);
    edit->setSuffix(QStringLiteral(" mm"));
    edit->setAlignment(Qt::AlignRight);
    InstallFocusColor(edit);
    return edit;
}

QString RowText(const PrintFamilyInfo &info, PrintOffset offset)
{
    return QStringLiteral("%1:  %2 / %3 mm")
        .arg(info.caption.toString(), FormatOffsetMm(offset.x), FormatOffsetMm(offset.y));
}

} // namespace

Tfrm_Igazitas::Tfrm_Igazitas(QWidget *parent, const Calibration &calibration, const QString &iniFileName,
                             int fontSize)
    : QDialog(parent), m_calibration(calibration), m_iniFileName(iniFileName), m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("frm_Igazitas"));
    setWindowTitle(QStringLiteral("Nyomtatás igazítása"));
    setFixedSize(460, 300);
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);

    Label1 = new QLabel(QStringLiteral("Nyomtatvány (vízszintes / függőleges eltolás)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 10, 260, 16);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(12, 28, 260, 212);
    for (const PrintFamilyInfo &info : PrintFamilies())
        ListBox1->addItem(RowText(info, m_calibration.of(info.family)));

    Label2 = new QLabel(QStringLiteral("Vízszintes (+ jobbra)"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(288, 28, 160, 16);
    Edit1 = OffsetEdit(this, "Edit1");
    Edit1->setGeometry(288, 46, 160, 24);
    Label3 = new QLabel(QStringLiteral("Függőleges (+ lefelé)"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(288, 80, 160, 16);
    Edit2 = OffsetEdit(this, "Edit2");
    Edit2->setGeometry(288, 98, 160, 24);
    Button3 = new QPushButton(QStringLiteral("Kalibráló lap"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(288, 140, 160, 27);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(292, 258, 75, 27);
    Button2 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(373, 258, 75, 27);

    printSheet = [this](PrintFamily family) { PrintReportDirect(MakeCalibrationSheet(family)); };

    connect(ListBox1, &QListWidget::currentRowChanged, this, &Tfrm_Igazitas::showFamily);
    for (QDoubleSpinBox *edit : {Edit1, Edit2})
        connect(edit, &QDoubleSpinBox::valueChanged, this, &Tfrm_Igazitas::storeEdits);
    connect(Button3, &QPushButton::clicked, this, [this] {
        try {
            printSheet(selectedFamily());
        } catch (const Error &error) {
            CurrentPrompter().showError(error.message(), this);
        }
    });
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    // The dialog's keys: Enter moves on (OK is pressed only on purpose), Escape cancels.
    NoDefaultButtons({Button3, Button1, Button2});
    for (QWidget *control : std::initializer_list<QWidget *>{ListBox1, Edit1, Edit2, Button3, Button1, Button2})
        control->installEventFilter(this);
    // A spin box's keys reach its edit field first.
    for (QDoubleSpinBox *edit : {Edit1, Edit2})
        edit->findChild<QLineEdit *>()->installEventFilter(this);
    setTabOrder(ListBox1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button3);
    setTabOrder(Button3, Button1);
    setTabOrder(Button1, Button2);
    ListBox1->setCurrentRow(0);
}

PrintFamily Tfrm_Igazitas::selectedFamily() const
{
    const int row = qMax(0, ListBox1->currentRow());
    return PrintFamilies().at(size_t(qMin(row, int(PrintFamilies().size()) - 1))).family;
}

void Tfrm_Igazitas::showFamily(int row)
{
    if (row < 0)
        return;
    const PrintOffset offset = m_calibration.of(PrintFamilies().at(size_t(row)).family);
    m_loading = true;
    Edit1->setValue(offset.x);
    Edit2->setValue(offset.y);
    m_loading = false;
}

void Tfrm_Igazitas::storeEdits()
{
    if (m_loading)
        return;
    m_calibration.set(selectedFamily(), {Edit1->value(), Edit2->value()});
    updateRow(ListBox1->currentRow());
}

void Tfrm_Igazitas::updateRow(int row)
{
    if (row < 0)
        return;
    const PrintFamilyInfo &info = PrintFamilies().at(size_t(row));
    ListBox1->item(row)->setText(RowText(info, m_calibration.of(info.family)));
}

bool Tfrm_Igazitas::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && DialogKeyPress(this, Button2, static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Igazitas::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_iniFileName);
    ApplyFontSize(this, m_fontSize);
    ListBox1->setFocus();
}

void Tfrm_Igazitas::done(int result)
{
    StoreWindowPos(this, m_iniFileName);
    QDialog::done(result);
}

void NyomtatasIgazitasa(QWidget *owner, Session &session)
{
    Tfrm_Igazitas dialog(owner, session.settings().calibration, session.folders().IniFileName,
                         session.settings().FontSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    session.settings().calibration = dialog.calibration();
    SaveCalibration(session.folders().IniFileName, dialog.calibration());
}

} // namespace kartevo
