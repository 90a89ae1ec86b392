#include "ui/main/frm_logo.h"

#include "ui/common/application.h"
#include "ui/common/resources.h"

#include <QBitmap>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace kartevo {

namespace {
constexpr QSize kSize(600, 200);
const QColor kTransparentColor(128, 128, 128);
} // namespace

Tfrm_Logo::Tfrm_Logo(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    EnsureResources();
    setObjectName(QStringLiteral("frm_Logo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kSize);

    m_picture = QPixmap(kSize);
    m_picture.fill(kTransparentColor);
    QPainter painter(&m_picture);
    QSvgRenderer(QStringLiteral(":/kartevo/logo.svg")).render(&painter);
    painter.end();
    setMask(m_picture.createMaskFromColor(kTransparentColor, Qt::MaskInColor));

    m_timer1.setParent(this);
    m_timer2.setParent(this);
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(1000);
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(21);
    connect(&m_timer1, &QTimer::timeout, this, &Tfrm_Logo::Timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &Tfrm_Logo::Timer2Timer);
}

Tfrm_Logo *Tfrm_Logo::ShowSplash()
{
    auto *logo = new Tfrm_Logo;
    const QRect desktop = DesktopWorkArea();
    logo->move(desktop.center() - QPoint(kSize.width() / 2, kSize.height() / 2));
    logo->show();
    return logo;
}

void Tfrm_Logo::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_alpha = 255;
    setWindowOpacity(1.0);
    m_timer1.start();
}

void Tfrm_Logo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void Tfrm_Logo::Timer1Timer()
{
    m_timer2.start();
    m_timer1.stop();
}

void Tfrm_Logo::Timer2Timer()
{
    m_alpha -= 10;
    setWindowOpacity(m_alpha / 255.0);
    if (m_alpha <= 33) {
        m_timer2.stop();
        close();
    }
}

} // namespace kartevo
