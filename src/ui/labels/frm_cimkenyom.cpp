#include "ui/labels/frm_cimkenyom.h"

#include "core/database.h"
#include "core/helpers.h"
#include "core/statement.h"
#include "core/session.h"
#include "core/settings.h"
#include "printing/reportrenderer.h"
#include "ui/common/application.h"
#include "ui/common/focuscolor.h"
#include "ui/common/glyphbutton.h"
#include "ui/common/resources.h"
#include "ui/common/translation.h"
#include "ui/common/windowstate.h"
#include "ui/masterdata/pickers.h"
#include "ui/printing/printoutput.h"

#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <limits>

namespace kartevo {

namespace {

Tfrm_CimkeNyom::FontChooser g_fontChooser;

bool SystemFontDialog(QFont &font, QWidget *owner)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, owner);
    if (ok)
        font = chosen;
    return ok;
}

// The sketch of the label sheet in the "Lap" box: the places of the sheet numbered in the order
// they are filled, the places left empty before the start place shaded, the start place marked.
// A click on a place makes it the start place.
class SheetSketch final : public QWidget {
public:
    SheetSketch(QWidget *parent, std::function<void(int)> clicked) : QWidget(parent), m_clicked(std::move(clicked))
    {
        setObjectName(QStringLiteral("SheetSketch"));
        setCursor(Qt::PointingHandCursor);
    }

    void setSheet(int columns, int rows, int start)
    {
        m_columns = columns;
        m_rows = rows;
        m_start = start;
        update();
    }

    // The sheet's outline in the box, A4-shaped.
    QRectF sheetRect() const { return QRectF(24, 24, 128, 184); }

    // The place (from 1) under a point of the widget, 0 outside every place.
    int placeAt(const QPointF &point) const
    {
        if (m_columns < 1 || m_rows < 1 || !sheetRect().contains(point))
            return 0;
        const QRectF sheet = sheetRect();
        const int column = qBound(0, int((point.x() - sheet.left()) / (sheet.width() / m_columns)), m_columns - 1);
        const int row = qBound(0, int((point.y() - sheet.top()) / (sheet.height() / m_rows)), m_rows - 1);
        return column * m_rows + row + 1;
    }

    QRectF placeRect(int place) const
    {
        const QRectF sheet = sheetRect();
        const LabelPlace where = PlaceOnSheet(place, m_rows);
        const double width = sheet.width() / m_columns;
        const double height = sheet.height() / m_rows;
        return QRectF(sheet.left() + where.column * width, sheet.top() + where.row * height, width, height);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(sheetRect(), Qt::white);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(sheetRect());
        if (m_columns < 1 || m_rows < 1)
            return;
        QFont small = font();
        small.setPixelSize(qBound(6, int(sheetRect().height() / m_rows / 2), 11));
        painter.setFont(small);
        for (int place = 1; place <= m_columns * m_rows; ++place) {
            const QRectF cell = placeRect(place).adjusted(1, 1, -1, -1);
            if (place < m_start)
                painter.fillRect(cell, QColor(220, 220, 220));
            else if (place == m_start)
                painter.fillRect(cell, QColor(166, 202, 240));
            painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
            painter.drawRect(cell);
            painter.setPen(place == m_start ? Qt::black : Qt::darkGray);
            painter.drawText(cell, Qt::AlignCenter, QString::number(place));
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (const int place = placeAt(event->position()))
            m_clicked(place);
    }

private:
    std::function<void(int)> m_clicked;
    int m_columns = 0;
    int m_rows = 0;
    int m_start = 1;
};

QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit *AddEdit(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

QPushButton *AddButton(QWidget *parent, const char *name, const QString &caption, int left)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 448, 75, 25);
    button->setAutoDefault(false); // Enter presses nothing in this window
    return button;
}

report::Font ReportFont(const QFont &font)
{
    report::Font printed;
    printed.family = font.family();
    printed.size = font.pointSizeF();
    printed.bold = font.bold();
    printed.italic = font.italic();
    printed.underline = font.underline();
    printed.strikeout = font.strikeOut();
    return printed;
}

bool LabelFormatExists(Database &db, const QString &name)
{
    Statement format(db, QStringLiteral("SELECT 1 FROM cimke WHERE cimke=:n"));
    format.bind(QStringLiteral(":n"), name);
    return format.step();
}

} // namespace

void Tfrm_CimkeNyom::SetFontChooser(FontChooser chooser) { g_fontChooser = std::move(chooser); }

Tfrm_CimkeNyom::Tfrm_CimkeNyom(QWidget *owner, Session &session, const LabelSelection &selection)
    : QDialog(owner), m_session(session), m_selection(selection)
{
    EnsureResources();
    setObjectName(QStringLiteral("frm_CimkeNyom"));
    setWindowTitle(QStringLiteral("Cimke nyomtatás"));
    setFixedSize(529, 492);
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);

    GroupBox3 = new QGroupBox(QStringLiteral("Címke"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(8, 12, 325, 57);
    Edit5 = AddEdit(GroupBox3, "Edit5", QRect(12, 20, 269, 21));
    Edit5->setReadOnly(true);
    QPalette dialogColour = Edit5->palette();
    dialogColour.setColor(QPalette::Base, palette().color(QPalette::Window));
    Edit5->setPalette(dialogColour);
    BitBtn2 = GlyphButton(GroupBox3, "BitBtn2", QIcon(QStringLiteral(":/kartevo/arrow_down.svg")), QRect(284, 16, 33, 33));

    GroupBox2 = new QGroupBox(QStringLiteral("Címke (etikett)"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 76, 325, 169);
    AddLabel(GroupBox2, "Label1", QStringLiteral("Bal margó"), 12, 20);
    Edit1 = AddEdit(GroupBox2, "Edit1", QRect(12, 36, 93, 21));
    AddLabel(GroupBox2, "Label2", QStringLiteral("Felső margó"), 112, 20);
    Edit2 = AddEdit(GroupBox2, "Edit2", QRect(112, 36, 93, 21));
    AddLabel(GroupBox2, "Label3", QStringLiteral("Magasság"), 212, 20);
    Edit4 = AddEdit(GroupBox2, "Edit4", QRect(212, 36, 93, 21));
    AddLabel(GroupBox2, "Label4", QStringLiteral("Oszlopszám"), 12, 64);
    Edit3 = AddEdit(GroupBox2, "Edit3", QRect(12, 80, 65, 21));
    QIcon hand(QStringLiteral(":/kartevo/hand.svg"));
    hand.addFile(QStringLiteral(":/kartevo/hand_disabled.svg"), QSize(), QIcon::Disabled);
    BitBtn1 = GlyphButton(GroupBox2, "BitBtn1", hand, QRect(80, 80, 25, 25));
    Edit7 = AddEdit(GroupBox2, "Edit7", QRect(112, 80, 193, 21));
    Edit7->setReadOnly(true);
    AddLabel(GroupBox2, "Label5", QStringLiteral("Hányadik?"), 12, 112);
    Edit6 = AddEdit(GroupBox2, "Edit6", QRect(12, 128, 93, 26));
    QFont big(QStringLiteral("Arial"));
    big.setBold(true);
    big.setPixelSize(15);
    Edit6->setFont(big);
    BitBtn3 = GlyphButton(GroupBox2, "BitBtn3", QIcon(QStringLiteral(":/kartevo/font.svg")), QRect(112, 128, 193, 25));
    // It shows the chosen font, not a caption of its own.
    BitBtn3->setProperty("tag", report::kSkipTranslationTag);

    GroupBox1 = new QGroupBox(QStringLiteral("Lap"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(344, 12, 173, 233);
    auto *sketch = new SheetSketch(GroupBox1, [this](int place) { setStartPosition(place); });
    sketch->setGeometry(0, 0, 173, 233);
    m_sketch = sketch;

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(12, 252, 345, 169);
    s1 = new QWidget(Panel1);
    s1->setObjectName(QStringLiteral("s1"));
    s1->setAutoFillBackground(true);
    QPalette white = s1->palette();
    white.setColor(QPalette::Window, Qt::white);
    s1->setPalette(white);
    const char *captions[5] = {"Ügyfél neve", "Kapcsolattartó", "Város", "Cím", "Irányítószám"};
    QPalette yellow = palette();
    yellow.setColor(QPalette::Window, Qt::yellow);
    yellow.setColor(QPalette::WindowText, Qt::black);
    for (int i = 0; i < 5; ++i) {
        QLabel *caption = new QLabel(QString::fromUtf8(captions[i]), Panel1);
        caption->setObjectName(QStringLiteral("l%1").arg(i + 1));
        caption->setAutoFillBackground(true);
        caption->setPalette(yellow);
        caption->setCursor(Qt::PointingHandCursor);
        caption->installEventFilter(this);
        l[i] = caption;
    }

    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(12, 424, 505, 18);
    Label6->setProperty("tag", report::kSkipTranslationTag); // worked out, not a caption
    Button3 = AddButton(this, "Button3", QStringLiteral("Megnéz"), 264);
    Button1 = AddButton(this, "Button1", QStringLiteral("Nyomtat"), 348);
    Button2 = AddButton(this, "Button2", QStringLiteral("Bezár"), 432);

    const QList<QWidget *> order = {Edit1, Edit2, Edit3, Edit4, Edit6, BitBtn1, Edit7,
                                    BitBtn3, Button1, Button2, Edit5, BitBtn2, Button3};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
    for (QLineEdit *edit : {Edit1, Edit2, Edit3, Edit4, Edit6})
        InstallFocusColor(edit);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { refresh(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { printLabels(false); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { printLabels(true); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit *edit : {Edit1, Edit2, Edit3, Edit4, Edit6})
        connect(edit, &QLineEdit::textChanged, this, [this] { updatePlan(); });

    // The settings into the controls.
    const TBeall &settings = m_session.settings();
    Edit1->setText(SheetNumber(settings.LabelLeft));
    Edit2->setText(SheetNumber(settings.LabelTop));
    Edit4->setText(SheetNumber(settings.LabelHeight));
    Edit3->setText(QString::number(settings.LabelColumn));
    Edit6->setText(QString::number(settings.LabelCount));
    QFont lineFont(settings.LabelFont);
    lineFont.setPointSize(settings.LabelSize > 0 ? settings.LabelSize : 10);
    lineFont.setBold(settings.LabelBold);
    lineFont.setItalic(settings.LabelItalic);
    lineFont.setUnderline(settings.LabelUnderline);
    setCaptionFont(lineFont);
    const LabelLayout stored = LabelLayoutOf(settings, 96);
    for (int i = 0; i < 5; ++i)
        l[i]->move(stored.lines[i].left, stored.lines[i].top);
    BitBtn3->setText(QStringLiteral("%1,%2pt").arg(settings.LabelFont).arg(settings.LabelSize));
    // The format chosen last time, while it is still on the list.
    if (!settings.LabelFormat.isEmpty() && LabelFormatExists(m_session.db(), settings.LabelFormat))
        Edit5->setText(settings.LabelFormat);
    m_labelCount = CountLabels(m_session.db(), m_selection);
    m_sourceName = LabelSourceName(m_session.db(), m_selection);
    refresh();
    updatePlan();
}

void Tfrm_CimkeNyom::setStartPosition(int place)
{
    Edit6->setText(QString::number(place));
}

void Tfrm_CimkeNyom::updatePlan()
{
    const LabelSheet sheet = fieldSheet();
    const int start = int(qBound(qint64(1), qint64(ParseIntLoose(Edit6->text())), qint64(kMaxStartPosition)));
    const int perSheet = LabelsPerSheet(sheet);
    Label6->setText(LabelPlanText(m_labelCount, m_sourceName, start, perSheet));
    const int rows = LabelRowsPerColumn(sheet);
    static_cast<SheetSketch *>(m_sketch)->setSheet(rows > 0 ? perSheet / rows : 0, rows, start);
}

LabelSheet Tfrm_CimkeNyom::fieldSheet() const
{
    return {ParseFloatLoose(Edit1->text()), ParseFloatLoose(Edit2->text()), ParseFloatLoose(Edit4->text()),
            int(qMin<qint64>(ParseIntLoose(Edit3->text()), std::numeric_limits<int>::max()))};
}

LabelLayout Tfrm_CimkeNyom::currentLayout() const
{
    LabelLayout layout;
    layout.sheet = fieldSheet();
    for (int i = 0; i < 5; ++i)
        layout.lines[i] = {l[i]->x(), l[i]->y(), ReportFont(l[i]->font())};
    layout.screenDpi = report::ScreenDpi();
    return layout;
}

void Tfrm_CimkeNyom::setCaptionFont(const QFont &font)
{
    for (QLabel *caption : l) {
        caption->setFont(font);
        caption->adjustSize();
    }
}

void Tfrm_CimkeNyom::refresh()
{
    const LabelSheet sheet = fieldSheet();
    Edit7->setText(LabelSummary(sheet, Edit4->text()));
    const QSize size = DesignerSize(sheet).expandedTo(QSize(0, 0));
    Panel1->resize(size);
    s1->resize(size);
    for (QLabel *caption : l)
        caption->move(caption->x(), CaptionTopInside(caption->y(), caption->height(), size.height()));
}

void Tfrm_CimkeNyom::BitBtn2Click()
{
    LabelFormat format;
    const QString name = CimkeValasztas(this, m_session, Edit5->text(), true, format);
    Edit5->setText(name);
    m_session.settings().LabelFormat = name;
    if (!name.isEmpty()) {
        Edit1->setText(FormatNumber(format.szelsomargo));
        Edit2->setText(FormatNumber(format.felsomargo));
        Edit4->setText(FormatNumber(format.cimkemagas));
        Edit3->setText(QString::number(format.oszlop));
    }
    refresh();
}

void Tfrm_CimkeNyom::BitBtn3Click()
{
    QFont font = l[0]->font();
    if (!(g_fontChooser ? g_fontChooser : SystemFontDialog)(font, this))
        return;
    setCaptionFont(font);
    BitBtn3->setText(QStringLiteral("%1, %2").arg(font.family()).arg(font.pointSize()));
}

void Tfrm_CimkeNyom::storeFields()
{
    TBeall &settings = m_session.settings();
    const LabelSheet sheet = fieldSheet();
    settings.LabelLeft = sheet.side;
    settings.LabelTop = sheet.top;
    settings.LabelHeight = sheet.height;
    settings.LabelColumn = sheet.columns;
    settings.LabelCount = int(qMin<qint64>(ParseIntLoose(Edit6->text()), std::numeric_limits<int>::max()));
}

void Tfrm_CimkeNyom::printLabels(bool direct)
{
    storeFields();
    const int start = m_session.settings().LabelCount;
    const QList<Label> labels = GatherLabels(m_session.db(), m_selection, start);
    const LabelLayout layout = currentLayout();
    if (!CimkeJelentes(this, labels, layout, direct, m_session.settings().calibration))
        return;
    // A half-used sheet goes back into the printer: the next print starts after the last label.
    const int printed = int(labels.size()) - qMax(start - 1, 0);
    Edit6->setText(QString::number(NextStartPosition(start, printed, LabelsPerSheet(layout.sheet))));
    storeFields();
}

void Tfrm_CimkeNyom::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    TranslateOnShow(this);
    RestoreWindowPos(this, m_session.folders().IniFileName);
    ApplyFontSize(this, m_session.settings().FontSize);
    // The field captions take the room of the window's font size.
    for (QLabel *caption : GroupBox2->findChildren<QLabel *>())
        caption->adjustSize();
}

void Tfrm_CimkeNyom::done(int result)
{
    // However the window closes (Bezár, Esc, the close box), what was set in it is kept.
    storeFields();
    TBeall &settings = m_session.settings();
    const QFont font = l[0]->font();
    settings.LabelFont = font.family();
    settings.LabelSize = font.pointSize();
    settings.LabelBold = font.bold();
    settings.LabelItalic = font.italic();
    settings.LabelUnderline = font.underline();
    int *places[5][2] = {{&settings.l1Left, &settings.l1Top},
                         {&settings.l2Left, &settings.l2Top},
                         {&settings.l3Left, &settings.l3Top},
                         {&settings.l4Left, &settings.l4Top},
                         {&settings.l5Left, &settings.l5Top}};
    for (int i = 0; i < 5; ++i) {
        *places[i][0] = l[i]->x();
        *places[i][1] = l[i]->y();
    }
    StoreWindowPos(this, m_session.folders().IniFileName);
    QDialog::done(result);
}

bool Tfrm_CimkeNyom::eventFilter(QObject *watched, QEvent *event)
{
    auto *caption = qobject_cast<QLabel *>(watched);
    if (!caption || !std::count(l.begin(), l.end(), caption))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Any button grabs the caption at the point under the pointer.
        m_dragging = true;
        m_grab = static_cast<QMouseEvent *>(event)->position().toPoint();
        return true;
    case QEvent::MouseMove:
        if (m_dragging)
            caption->move(caption->pos() + static_cast<QMouseEvent *>(event)->position().toPoint() - m_grab);
        return true;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void CimkeNyomtatas(QWidget *owner, Session &session, const LabelSelection &selection)
{
    Tfrm_CimkeNyom window(owner, session, selection);
    window.exec();
}

bool CimkeJelentes(QWidget *owner, const QList<Label> &labels, const LabelLayout &layout, bool print,
                   const Calibration &calibration)
{
    report::Report report = MakeCimke(labels, layout);
    report.applyCalibration(calibration);
    if (!print && !PreviewRun(owner, {report}, [&report](int, int page) { return LabelOutlines(report, page); }))
        return false;
    PrintReportDirect(report);
    return true;
}

} // namespace kartevo
