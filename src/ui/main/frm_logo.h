#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace kartevo {

// The splash window shown in front of the main window at start: one second in full, then it
// fades out by 10 alpha steps every 21 ms and closes itself at 33 or less. Nothing waits for it.
class Tfrm_Logo final : public QWidget {
    Q_OBJECT
public:
    explicit Tfrm_Logo(QWidget *parent = nullptr);

    int alpha() const { return m_alpha; }

    // Creates, centres and shows a splash window that deletes itself when it has faded.
    static Tfrm_Logo *ShowSplash();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Timer1Timer();
    void Timer2Timer();

    QPixmap m_picture;
    QTimer m_timer1;
    QTimer m_timer2;
    int m_alpha = 255;
};

} // namespace kartevo
